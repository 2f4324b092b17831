// The "Patch history..." window's handlers without a display: a real TForm1 and
// PatchHistoryForm over scripted windows, with patches made by the program's
// own updates and undone through the window, compared byte for byte.
#include "ui/PatchHistory.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/WadUpdate.h"
#include "host/Encoding.h"
#include "support/ScratchRegistry.h"
#include "support/ScriptedMainWindow.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "ui/WadUnit.h"

namespace skarvel::ui {
namespace {

using test::ReadNativeFile;
using test::WriteNativeFile;

class ScriptedHistoryWindow : public PatchHistoryView {
 public:
  std::string caption, note;
  std::vector<PatchHistoryRow> rows;
  int selected = -1;
  bool restore = false, undoPackage = false;
  std::deque<bool> answers;  // the confirmation box's, in order
  std::vector<std::string> questions;

  void SetCaption(const std::string& text) override { caption = text; }
  void SetRows(const std::vector<PatchHistoryRow>& newRows) override {
    rows = newRows;
    selected = rows.empty() ? -1 : 0;
  }
  int SelectedRow() const override { return selected; }
  void EnableActions(bool r, bool u) override { restore = r, undoPackage = u; }
  void SetNote(const std::string& text) override { note = text; }
  bool Confirm(const std::string& text) override {
    questions.push_back(text);
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void Close() override {}
};

class PatchHistoryTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  AppState state{test::ScratchRegistry(dir)};
  test::ScriptedMainWindow main;
  TForm1 form{state, main};
  ScriptedHistoryWindow window;
  PatchHistoryForm history{form, window};

  PatchHistoryTest() {
    state.history.emplace(dir.Internal("history"));
    main.onPatchHistory = [this] { history.FormShow(); };
  }
  std::string Wad(const char* name, const std::string& bytes) {
    WriteNativeFile(dir.Native(name), bytes);
    return dir.Internal(name);
  }
  // An update of archive from one file, recorded as the desktop program records it.
  void Patch(const std::string& archive, const std::string& file, const std::string& data, const char* how,
             const std::string& package = {}) {
    WriteNativeFile(dir.Native("src\\" + file), data);
    main.bench.sourceText = dir.Internal("src\\" + file);
    main.bench.archiveText = archive;
    ASSERT_TRUE(Update1wad(state, main, RecordedUpdate(state, how, package)));
  }
  void Open(const std::string& archive) {
    main.bench.archiveText = archive;
    form.PatchHistoryClick();
  }
};

TEST_F(PatchHistoryTest, OpensOnlyForAWadFileOfAUserWithAHistory) {
  const std::string wad = Wad("a.wad", test::PackedWad({{"x.bin", "x"}}));
  struct Case {
    std::string archive;
    bool store;
    const char* shown;  // the message, or the window
  };
  for (const Case& c : {Case{"", true, "message:Sorry but you have to choose a wad file first."},
                        Case{dir.Internal("a.txt"), true, "message:Sorry but you havn't selected a wad file."},
                        Case{wad, false, "message:The patch history cannot be kept: the system names no folder for "
                                         "this user's data."},
                        Case{wad, true, "show-patch-history"}}) {
    if (!c.store) state.history.reset();
    main.events.clear();
    Open(c.archive);
    EXPECT_EQ(main.events, std::vector<std::string>{c.shown}) << c.archive;
    state.history.emplace(dir.Internal("history"));
  }
  EXPECT_EQ(window.caption, "Patch history - a.wad");
  EXPECT_EQ(window.note, "No patch of this archive is recorded.");
  EXPECT_FALSE(window.restore || window.undoPackage);
}

TEST_F(PatchHistoryTest, ListsNewestFirstAndRestoresToBeforeTheChosenPatchOnceConfirmed) {
  const std::string original = test::PackedWad({{"x.bin", "x"}, {"y.bin", "y"}});
  const std::string wad = Wad("a.wad", original);
  Patch(wad, "x.bin", "first", "window");
  Patch(wad, "y.bin", "second", "installer", dir.Internal("package"));
  const std::string patched = ReadNativeFile(dir.Native("a.wad"));
  Open(wad);
  ASSERT_EQ(window.rows.size(), 2u);
  EXPECT_EQ(window.rows[0].how, "installer");
  EXPECT_EQ(window.rows[0].entries, "1 replaced, 0 appended");
  EXPECT_EQ(window.rows[1].how, "window");
  EXPECT_EQ(window.rows[1].source, DisplayPath(dir.Internal("src\\x.bin")));
  EXPECT_TRUE(window.restore && window.undoPackage);
  window.selected = 1;  // the window's patch, the older one
  history.ListSelect();
  EXPECT_TRUE(window.restore);
  EXPECT_FALSE(window.undoPackage);

  window.answers = {false, true};
  history.RestoreClick();
  EXPECT_EQ(ReadNativeFile(dir.Native("a.wad")), patched) << "refused at the box";
  history.RestoreClick();
  EXPECT_EQ(ReadNativeFile(dir.Native("a.wad")), original);
  ASSERT_EQ(window.questions.size(), 2u);
  EXPECT_EQ(window.questions[1], "Restore \"" + DisplayPath(wad) +
                                     "\" to what it was before patch 1? This undoes patches 1 to 2, the newest first.");
  EXPECT_TRUE(window.rows.empty()) << "listed again";
  EXPECT_EQ(main.bench.captions.back().rfind("Restore done in ", 0), 0u);
  EXPECT_EQ(main.bench.rows.size(), 2u) << "the archive listed again";
  EXPECT_EQ(main.operationsBegun, 1);
}

// An archive another program changed, and a history file that was damaged:
// the window offers no restore, and the archive stays as it is.
TEST_F(PatchHistoryTest, OffersNoRestoreOfAnArchiveItCannotGiveBack) {
  struct Case {
    const char* what;
    void (*spoil)(const test::TempDir&);
    const char* note;
    bool errorBox;
  };
  const Case cases[] = {
      {"changed", [](const test::TempDir& d) { WriteNativeFile(d.Native("a.wad"), test::PackedWad({{"x.bin", "q"}})); },
       "Another program changed the archive since patch 1: its history no longer restores it.", false},
      {"damaged",
       [](const test::TempDir& d) {
         for (const auto& folder : std::filesystem::directory_iterator(d.Native("history"))) {
           if (folder.is_directory()) WriteNativeFile(folder.path().string() + "/000001.patch", "SKARVEL HISTORY\n?");
         }
       },
       "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string wad = Wad("a.wad", test::PackedWad({{"x.bin", "x"}}));
    state.history->Forget(wad);
    Patch(wad, "x.bin", "new", "window");
    c.spoil(dir);
    const std::string before = ReadNativeFile(dir.Native("a.wad"));
    main.errorBoxes.clear();
    Open(wad);
    EXPECT_EQ(window.note, c.note);
    EXPECT_EQ(main.errorBoxes.size(), c.errorBox ? 1u : 0u);
    EXPECT_FALSE(window.restore || window.undoPackage);
    window.answers = {true};
    history.RestoreClick();
    EXPECT_TRUE(window.questions.empty());
    EXPECT_EQ(ReadNativeFile(dir.Native("a.wad")), before);
  }
}

}  // namespace
}  // namespace skarvel::ui
