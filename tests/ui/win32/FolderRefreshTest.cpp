// The automatic refresh of the source-folder dialog's tree: a folder that
// appears on disk in the selected folder shows, and one that goes goes, with
// the expanded folders, the selection and the first item in sight kept; never
// while the program is busy (a handler or a modal box); never in the
// game-folder dialog.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "ShellTreeSupport.h"
#include "host/platform/win32/CodePage.h"
#include "support/TempDir.h"
#include "ui/win32/GameFolderDialog.h"
#include "ui/win32/SourceFolderDialog.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::test {
namespace {

using ui::win32::BusyScope;
using ui::win32::FolderDialog;

// What a refresh that cannot come is given before it counts as not coming.
constexpr int kQuietMilliseconds = 800;

struct RefreshCase {
  const char* what;
  bool sourceDialog;
  bool busy;  // a BusyScope is open while the folder appears
  bool refreshes;
};

TEST(FolderRefresh, AFolderThatAppearsOnDiskShowsBetweenEventsOfTheSourceDialog) {
  const std::vector<RefreshCase> cases = {
      {"source dialog", true, false, true},
      {"source dialog while the program is busy", true, true, true},
      {"game-folder dialog", false, false, false},
  };
  for (const RefreshCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.Native("keep").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dir.Native("keep\\inner").c_str(), nullptr));
    std::unique_ptr<FolderDialog> dialog;
    if (c.sourceDialog) {
      dialog = std::make_unique<ui::win32::SourceFolderDialog>(nullptr);
    } else {
      dialog = std::make_unique<ui::win32::GameFolderDialog>(nullptr);
    }
    dialog->Show();
    ShellFolderTree& tree = dialog->Tree();
    auto& view = tree.View();
    if (c.sourceDialog) {
      wchar_t desktop[MAX_PATH];
      SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop);
      EXPECT_EQ(tree.WatchedFolder(), desktop) << "at first the Desktop's folder";
    }
    HTREEITEM folder = ExpandTo(tree, dir.native());
    ASSERT_NE(folder, nullptr);
    view.Expand(folder);
    HTREEITEM keep = ChildLabelled(tree, folder, L"keep");
    view.Expand(keep);
    view.Select(folder);
    EXPECT_EQ(tree.WatchedFolder(), c.sourceDialog ? WideFromAnsi(dir.native()) : L"");
    PumpMessages();
    HTREEITEM firstInSight = view.FirstVisible();

    std::optional<BusyScope> busy;
    if (c.busy) busy.emplace();
    ASSERT_TRUE(CreateDirectoryA(dir.Native("arrived").c_str(), nullptr));
    auto arrived = [&] { return ChildLabelled(tree, folder, L"arrived") != nullptr; };
    if (c.busy || !c.refreshes) {
      PumpFor(kQuietMilliseconds);
      EXPECT_FALSE(arrived());
    }
    busy.reset();
    if (!c.refreshes) continue;
    ASSERT_TRUE(PumpUntil(arrived));

    EXPECT_TRUE(view.IsExpanded(keep));
    EXPECT_EQ(ChildLabels(tree, keep), std::vector<std::wstring>{L"inner"});
    EXPECT_EQ(view.Selected(), folder);
    EXPECT_EQ(view.FirstVisible(), firstInSight);
    EXPECT_EQ(ChildLabels(tree, folder), (std::vector<std::wstring>{L"arrived", L"keep"}));

    ASSERT_TRUE(RemoveDirectoryA(dir.Native("arrived").c_str()));
    EXPECT_TRUE(PumpUntil([&] { return !arrived(); }));
  }
}

// While "Select Files..." is hidden nothing is watched (a watched folder is
// held open, which keeps the user from removing a USB stick); shown again, it
// reads the selected folder anew and watches it.
TEST(FolderRefresh, AHiddenDialogWatchesNothingAndReadsTheFolderAgainWhenShown) {
  TempDir dir;
  ui::win32::SourceFolderDialog dialog(nullptr);
  dialog.Show();
  ShellFolderTree& tree = dialog.Tree();
  HTREEITEM folder = ExpandTo(tree, dir.native());
  ASSERT_NE(folder, nullptr);
  tree.View().Expand(folder);
  tree.View().Select(folder);
  EXPECT_EQ(tree.WatchedFolder(), WideFromAnsi(dir.native()));

  dialog.Close();
  EXPECT_EQ(tree.WatchedFolder(), L"");
  ASSERT_TRUE(CreateDirectoryA(dir.Native("meanwhile").c_str(), nullptr));
  PumpFor(kQuietMilliseconds);
  EXPECT_EQ(ChildLabelled(tree, folder, L"meanwhile"), nullptr);

  dialog.Show();
  EXPECT_NE(ChildLabelled(tree, folder, L"meanwhile"), nullptr);
  EXPECT_EQ(tree.WatchedFolder(), WideFromAnsi(dir.native()));
}

}  // namespace
}  // namespace skarvel::test
