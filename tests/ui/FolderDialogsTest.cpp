// The OK handlers of the two folder dialogs over a scripted folder tree and a
// real main window's handlers (registry in a temporary folder, on Windows in
// scratch keys of the test's own).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/GameFolder.h"
#include "host/SettingsStore.h"
#include "support/ScratchRegistry.h"
#include "support/ScriptedMainWindow.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "ui/ManualPath.h"
#include "ui/WadUnit.h"
#include "ui/filesfolder.h"

namespace skarvel {
namespace {

using test::WriteNativeFile;

// A folder tree whose selection the test sets; closing is logged in the main
// window's events, so that its order with the source edit shows.
class ScriptedTree : public ui::FolderDialogView {
 public:
  explicit ScriptedTree(std::vector<std::string>& log) : log_(log) {}
  std::string selected;
  std::string SelectedFolder() const override { return selected; }
  void Close() override { log_.push_back("close"); }

 private:
  std::vector<std::string>& log_;
};

class FolderDialogs {
 public:
  test::TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
  test::ScriptedMainWindow window;
  ui::TForm1 form{state, window};
  ScriptedTree tree{window.events};

  FolderDialogs() { window.onArchiveChange = [this] { form.LMDFile2Change(); }; }
  std::string Expand(const std::string& text) const {
    return text.starts_with("$") ? dir.internal() + text.substr(1) : text;
  }
};

// OK walks nothing: the update and the creation read the folder when they run,
// so neither a large folder nor a name in it that the code page cannot hold
// stands between OK and the source edit.
TEST(SourceFolderOK, PutsTheFolderIntoTheSourceEditAtOnce) {
  const std::vector<const char*> selections = {"$\\mod", "$\\empty", "", "$\\gone", "$\\mod\\a.tex"};
  for (const char* selected : selections) {
    SCOPED_TRACE(selected);
    FolderDialogs dialogs;
    for (const char* name : {"a.tex", "sub\\d.tex"}) {
      WriteNativeFile(dialogs.dir.Native(std::string("mod\\") + name), name);
    }
#ifndef _WIN32
    // A name that Windows-1252 cannot hold, below the folder.
    WriteNativeFile(dialogs.dir.Native("mod\\sub") + "/\xCE\xA9.tex", "omega");
#endif
    std::filesystem::create_directories(dialogs.dir.Native("empty"));
    dialogs.state.sources = {"left over"};
    dialogs.tree.selected = dialogs.Expand(selected);
    ui::TForm2 dialog(dialogs.form, dialogs.tree);

    dialog.OKClick();

    EXPECT_TRUE(dialogs.state.sources.empty());
    EXPECT_EQ(dialogs.window.events, (std::vector<std::string>{"close", "source-text:" + dialogs.Expand(selected)}));
    EXPECT_TRUE(dialogs.window.errorBoxes.empty());
  }
}

struct GameFolderCase {
  const char* what;
  const char* chosen;
  bool accepted;
};

TEST(GameFolderOK, AFolderWithTheGameReinitialisesTheWindowAndAnyOtherChangesNothing) {
  const std::vector<GameFolderCase> cases = {
      {"a folder holding GP4.exe", "$\\NewGP4", true},
      {"its name in other case, as a copy from Windows may have it", "$\\Lower", true},
      {"a folder without it", "$\\Other", false},
      {"nothing selected", "", false},
  };
  for (const GameFolderCase& c : cases) {
    SCOPED_TRACE(c.what);
    FolderDialogs dialogs;
    WriteNativeFile(dialogs.dir.Native("NewGP4\\GP4.exe"), "MZ");
    WriteNativeFile(dialogs.dir.Native("Lower\\gp4.EXE"), "MZ");
    WriteNativeFile(dialogs.dir.Native("NewGP4\\a.wad"), test::PackedWad({{"x.bin", "x"}}));
    WriteNativeFile(dialogs.dir.Native("Other\\a.wad"), test::PackedWad({{"x.bin", "x"}}));
    SettingsStore::Open(dialogs.state.registry, kMainSettingsKey)
        .WriteString("WadName", dialogs.Expand("$\\NewGP4\\a.wad"));
    dialogs.form.FormCreate();
    dialogs.form.LMDButton1Click();
    dialogs.window.events.clear();
    dialogs.tree.selected = dialogs.Expand(c.chosen);
    ui::TForm5 dialog(dialogs.form, dialogs.tree);

    dialog.Button1Click();

    bool found = false;
    EXPECT_EQ(GetPath(dialogs.state.registry, found), c.accepted ? dialogs.Expand(c.chosen) : "");
    EXPECT_EQ(dialogs.window.events.back(), "close");
    if (c.accepted) {
      // Collapsed again, the archive edit refilled from the new game folder and listed.
      EXPECT_EQ(dialogs.window.height, 208);
      EXPECT_FALSE(dialogs.form.FilesShown());
      EXPECT_EQ(dialogs.window.archiveFolder, dialogs.Expand(c.chosen));
      EXPECT_EQ(dialogs.window.bench.archiveText, dialogs.Expand("$\\NewGP4\\a.wad"));
      EXPECT_EQ(dialogs.window.bench.rows.size(), 1U);
    } else {
      EXPECT_EQ(dialogs.window.events, std::vector<std::string>{"close"});
      EXPECT_TRUE(dialogs.form.FilesShown());
    }
  }
}

}  // namespace
}  // namespace skarvel
