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

struct SourceFolderCase {
  const char* what;
  const char* selected;  // "$" stands for the temporary folder
  std::vector<std::string> files;
};

TEST(SourceFolderOK, ListsEveryFileBelowTheFolderAndNamesItInTheSourceEdit) {
  const std::vector<SourceFolderCase> cases = {
      {"three files and two in a subfolder", "$\\mod",
       {"$\\mod\\a.tex", "$\\mod\\b.tex", "$\\mod\\c.bin", "$\\mod\\sub\\d.tex", "$\\mod\\sub\\e.gp4"}},
      {"an empty folder", "$\\empty", {}},
      {"nothing selected", "", {}},
      {"a folder that cannot be read (it went away)", "$\\gone", {}},
      {"a name that is no folder", "$\\mod\\a.tex", {}},
  };
  for (const SourceFolderCase& c : cases) {
    SCOPED_TRACE(c.what);
    FolderDialogs dialogs;
    for (const char* name : {"a.tex", "b.tex", "c.bin", "sub\\d.tex", "sub\\e.gp4"}) {
      WriteNativeFile(dialogs.dir.Native(std::string("mod\\") + name), name);
    }
    std::filesystem::create_directories(dialogs.dir.Native("empty"));
    dialogs.state.sources = {"left over"};
    dialogs.tree.selected = dialogs.Expand(c.selected);
    ui::TForm2 dialog(dialogs.form, dialogs.tree);

    dialog.OKClick();

    std::vector<std::string> expected;
    for (const std::string& file : c.files) expected.push_back(dialogs.Expand(file));
    std::vector<std::string> listed = dialogs.state.sources;
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(dialogs.window.events,
              (std::vector<std::string>{"close", "source-text:" + dialogs.Expand(c.selected)}));
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
      {"a folder without it", "$\\Other", false},
      {"nothing selected", "", false},
  };
  for (const GameFolderCase& c : cases) {
    SCOPED_TRACE(c.what);
    FolderDialogs dialogs;
    WriteNativeFile(dialogs.dir.Native("NewGP4\\GP4.exe"), "MZ");
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
