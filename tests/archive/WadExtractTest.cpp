#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/WadArchive.h"
#include "archive/WadExtract.h"
#include "host/Errors.h"
#include "host/Messages.h"
#include "support/OperationTest.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::Int32Bytes;
using test::NativeExists;
using test::PackedWad;
using test::RawRecord;
using test::ReadNativeFile;
using test::ScriptedWorkbench;
using test::TempDir;
using test::TestEntry;
using test::TreeSnapshot;
using test::WriteNativeFile;

using Tree = std::map<std::string, std::string>;

class WadExtractTest : public test::OperationTest {
 protected:
  // Writes the archive at x\cars.wad and names it in the archive edit.
  void UseArchive(const std::string& bytes) {
    WriteNativeFile(dir.Native("x\\cars.wad"), bytes);
    bench.archiveText = dir.Internal("x\\cars.wad");
  }
  void ExtractInto(const std::string& relativeTarget) {
    bench.dialogAnswers.push_back(dir.Internal(relativeTarget));
    ExtractClick(state, bench);
  }
  std::string Setting(const std::string& name) const { return state.settings.ReadString(name, "<unset>"); }
};

bool IsTiming(const std::string& caption, const std::string& leading) {
  return caption.starts_with(leading) && caption.size() > leading.size() + 1 && caption.back() == 's';
}

TEST_F(WadExtractTest, FourEntriesShowZeroToSeventyFiveThenTheTime) {
  UseArchive(PackedWad({{"a", "1"}, {"b", "22"}, {"c", "333"}, {"d", "4444"}}));
  state.wad.Count = 77;
  ExtractInto("out");
  ASSERT_EQ(bench.captions.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(bench.captions.begin(), bench.captions.begin() + 4),
            (std::vector<std::string>{"Extracting files : 0%", "Extracting files : 25%", "Extracting files : 50%",
                                      "Extracting files : 75%"}));
  EXPECT_TRUE(IsTiming(bench.captions[4], "Wad extracted in ")) << bench.captions[4];
  EXPECT_EQ(bench.positions, (std::vector<int>{0, 25, 50, 75, 0}));
  EXPECT_EQ(bench.events.front(), "dialog:" + dir.Internal("x\\cars") + "|");
  EXPECT_EQ(bench.events[1], "window-repaint") << "the window is repainted as soon as the dialog closes";
  EXPECT_EQ(TreeSnapshot(dir.Native("out")), (Tree{{"a", "1"}, {"b", "22"}, {"c", "333"}, {"d", "4444"}}));
  EXPECT_EQ(state.wad.Count, 77) << "extract all keeps the entry count to itself";
  ASSERT_EQ(state.wad.Entries.size(), 4u);
  EXPECT_EQ(EntryName(state.wad.Entries[3]), "d");
}

struct TreeCase {
  const char* what;
  std::string archive;
  Tree expected;
};

std::string Overlapping() {
  // Data out of directory order, two entries sharing bytes, one inside another.
  const std::int32_t data = 4 + 3 * 136;
  return Int32Bytes(3) + RawRecord("late", data + 4, 6) + RawRecord("early", data, 6) +
         RawRecord("inner", data + 5, 2) + "ABCDEFGHIJ" + "trailing bytes no entry covers";
}

class WadExtractTreeTest : public WadExtractTest, public ::testing::WithParamInterface<TreeCase> {};

TEST_P(WadExtractTreeTest, EveryEntryBecomesExactlyItsFile) {
  UseArchive(GetParam().archive);
  ExtractInto("deep\\out");
  EXPECT_EQ(TreeSnapshot(dir.Native("deep\\out")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WadExtractTreeTest,
    ::testing::Values(
        TreeCase{"NoFolder", PackedWad({{"a.bin", "x"}, {"b", "yy"}}), {{"a.bin", "x"}, {"b", "yy"}}},
        TreeCase{"EmptyEntries", PackedWad({{"empty", ""}, {"f\\also", ""}, {"full", "z"}}),
                 {{"empty", ""}, {"f", "<dir>"}, {"f/also", ""}, {"full", "z"}}},
        TreeCase{"DuplicatesLaterWins", PackedWad({{"d\\same", "first"}, {"d\\same", "second"}}),
                 {{"d", "<dir>"}, {"d/same", "second"}}},
        TreeCase{"OverlappingData", Overlapping(), {{"late", "EFGHIJ"}, {"early", "ABCDEF"}, {"inner", "FG"}}},
        TreeCase{"NestedFolders",
                 PackedWad({{"maps\\monaco2001\\a.bin", "m"}, {"maps\\b", "b"}, {"cars\\car1.tex", "c"}}),
                 {{"maps", "<dir>"},
                  {"maps/monaco2001", "<dir>"},
                  {"maps/monaco2001/a.bin", "m"},
                  {"maps/b", "b"},
                  {"cars", "<dir>"},
                  {"cars/car1.tex", "c"}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WadExtractTest, AnEmptyArchiveCreatesNothingButStillShowsTheTime) {
  UseArchive(Int32Bytes(0));
  ExtractInto("out");
  EXPECT_FALSE(NativeExists(dir.Native("out"))) << "not even the target folder";
  ASSERT_EQ(bench.captions.size(), 1u);
  EXPECT_TRUE(IsTiming(bench.captions[0], "Wad extracted in "));
  EXPECT_EQ(bench.positions, (std::vector<int>{0}));
}

TEST_F(WadExtractTest, ExistingFilesAreOverwrittenAndOthersStay) {
  WriteNativeFile(dir.Native("out\\a"), "old content that is longer");
  WriteNativeFile(dir.Native("out\\keep"), "kept");
  UseArchive(PackedWad({{"a", "new"}}));
  ExtractInto("out");
  EXPECT_EQ(TreeSnapshot(dir.Native("out")), (Tree{{"a", "new"}, {"keep", "kept"}}));
}

TEST_F(WadExtractTest, ATargetThatIsAFileFailsAndNothingElseIsWritten) {
  WriteNativeFile(dir.Native("x\\taken"), "a file, not a folder");
  UseArchive(PackedWad({{"a", "1"}, {"sub\\b", "2"}}));
  const Tree before = TreeSnapshot(dir.native());
  try {
    ExtractInto("x\\taken");
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_TRUE(error.code() == 3 || error.code() == 5) << error.code();
  }
  EXPECT_EQ(TreeSnapshot(dir.native()), before);
  EXPECT_EQ(Setting("ExtractPath"), "<unset>") << "the closing settings write is skipped after a failure";
}

TEST_F(WadExtractTest, DamagedArchivesWriteNothingAndKeepTheCount) {
  const std::int32_t data = 4 + 2 * 136;
  const std::vector<std::string> damaged = {
      Int32Bytes(-1),                                                           // negative count
      Int32Bytes(3) + RawRecord("a", 0, 0),                                     // count beyond the records
      Int32Bytes(2) + RawRecord("a", data, 1) + RawRecord("b", data, 9) + "x",  // data past the end
      Int32Bytes(2) + RawRecord("a", data, 1) + RawRecord("b", -4, 1) + "x",    // negative offset
      Int32Bytes(2) + RawRecord("a", data, 1) + RawRecord("b", data, -1) + "x", // negative size
  };
  for (const std::string& bytes : damaged) {
    UseArchive(bytes);
    state.wad.Count = 5;
    EXPECT_THROW(ExtractInto("out"), FormatError);
    EXPECT_FALSE(NativeExists(dir.Native("out")));
    EXPECT_EQ(state.wad.Count, 5);
  }
}

TEST_F(WadExtractTest, NoArchiveShowsTheMessageAndTouchesNothing) {
  for (const std::string& text : {std::string(), dir.Internal("missing.wad"), dir.internal()}) {
    bench.archiveText = text;
    ExtractClick(state, bench);
    LMDFilesDblClick(state, bench);
  }
  EXPECT_EQ(bench.messages, std::vector<std::string>(6, messages::kChooseWadFirst));
  EXPECT_TRUE(bench.dialogs.empty());
  EXPECT_EQ(Setting("WadName"), "<unset>");
}

struct SettingsCase {
  const char* what;
  std::string storedExtractPath;       // "" for none stored; "@" stands for the temp folder
  std::optional<std::string> answer;   // relative to the temp folder; nullopt cancels
  std::string expectedProposal;        // "@" stands for the temp folder
  std::string expectedExtractPath;
};

class WadExtractSettingsTest : public WadExtractTest, public ::testing::WithParamInterface<SettingsCase> {
 protected:
  std::string Expand(const std::string& text) const {
    std::string out;
    for (char c : text) out += c == '@' ? dir.internal() : std::string(1, c);
    return out;
  }
};

TEST_P(WadExtractSettingsTest, ProposalAndRememberedFolder) {
  const SettingsCase& c = GetParam();
  UseArchive(PackedWad({{"f", "1"}}));
  if (!c.storedExtractPath.empty()) state.settings.WriteString("ExtractPath", Expand(c.storedExtractPath));
  if (c.answer) bench.dialogAnswers.push_back(dir.Internal(*c.answer));
  ExtractClick(state, bench);
  ASSERT_EQ(bench.dialogs.size(), 1u);
  EXPECT_EQ(bench.dialogs[0].proposedName, Expand(c.expectedProposal));
  EXPECT_EQ(bench.dialogs[0].filter, "");
  EXPECT_EQ(Setting("WadName"), bench.archiveText) << "written before the dialog, whatever the answer";
  EXPECT_EQ(Setting("ExtractPath"), Expand(c.expectedExtractPath));
  EXPECT_EQ(NativeExists(dir.Native(c.answer.value_or("none"))), c.answer.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, WadExtractSettingsTest,
    ::testing::Values(SettingsCase{"ArchiveFolderByDefault", "", "x\\cars", "@\\x\\cars", "@\\x\\"},
                      SettingsCase{"StoredFolder", "@\\y\\", "z\\target", "@\\y\\cars", "@\\z\\"},
                      SettingsCase{"CancelKeepsTheProposedFolder", "@\\y\\", std::nullopt, "@\\y\\cars", "@\\y\\"},
                      SettingsCase{"CancelWithAFolderWithoutSeparator", "@\\y", std::nullopt, "@\\ycars", "@\\"},
                      SettingsCase{"CancelByDefault", "", std::nullopt, "@\\x\\cars", "@\\x\\"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WadExtractTest, AShortArchiveNameProposesTheBareFolder) {
  WriteNativeFile(dir.Native("x\\.wad"), PackedWad({}));
  bench.archiveText = dir.Internal("x\\.wad");
  ExtractClick(state, bench);
  ASSERT_EQ(bench.dialogs.size(), 1u);
  EXPECT_EQ(bench.dialogs[0].proposedName, dir.Internal("x\\"));
}

// Extract one.

class WadExtractOneTest : public WadExtractTest {
 public:
  // For the table's spoilers, which are not members.
  WadArchive& wad() { return state.wad; }
  std::string& selectedRowText() { return bench.rows.at(static_cast<std::size_t>(bench.selectedRow)); }
  std::string native(const std::string& relative) const { return dir.Native(relative); }
  std::string internal(const std::string& relative) const { return dir.Internal(relative); }

 protected:
  void SetUp() override {
    UseArchive(PackedWad({{"cars\\a.tex", "AAAA"}, {"b.bin", "BB"}, {"maps\\m\\c.dat", "CCCCCC"}}));
    CreateFileList(state.wad, bench.archiveText, bench);
  }
};

TEST_F(WadExtractOneTest, WritesExactlyTheEntrysBytesAndSaysSo) {
  WriteNativeFile(dir.Native("save\\existing"), "to be replaced by something shorter");
  ASSERT_TRUE(bench.SelectRowOfIndex(2));
  bench.position = 42;
  bench.dialogAnswers.push_back(dir.Internal("save\\existing"));
  LMDFilesDblClick(state, bench);
  EXPECT_EQ(ReadNativeFile(dir.Native("save\\existing")), "CCCCCC");
  EXPECT_EQ(bench.dialogs.at(0).proposedName, dir.Internal("x\\c.dat"));
  EXPECT_EQ(bench.dialogs.at(0).filter, "");
  EXPECT_EQ(bench.captions, (std::vector<std::string>{"File Saved"}));
  EXPECT_TRUE(bench.positions.empty()) << "the position is left as it was";
  EXPECT_EQ(Setting("Extract1File"), dir.Internal("save\\"));
  EXPECT_EQ(Setting("WadName"), "<unset>") << "only extract all remembers the archive";

  // The remembered folder is proposed next time.
  ASSERT_TRUE(bench.SelectRowOfIndex(0));
  LMDFilesDblClick(state, bench);
  EXPECT_EQ(bench.dialogs.at(1).proposedName, dir.Internal("save\\a.tex"));
  EXPECT_EQ(Setting("Extract1File"), dir.Internal("save\\")) << "a cancel keeps the proposed folder";
  EXPECT_EQ(TreeSnapshot(dir.Native("save")), (Tree{{"existing", "CCCCCC"}}));
}

TEST_F(WadExtractOneTest, NoSelectedRowIsTheListsIndexError) {
  EXPECT_THROW(LMDFilesDblClick(state, bench), ListIndexError);
  EXPECT_TRUE(bench.dialogs.empty());
}

TEST_F(WadExtractOneTest, CreatesNoFolders) {
  ASSERT_TRUE(bench.SelectRowOfIndex(1));
  bench.dialogAnswers.push_back(dir.Internal("missing\\b.bin"));
  try {
    LMDFilesDblClick(state, bench);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), test::kMissingFolderCode);
  }
  EXPECT_FALSE(NativeExists(dir.Native("missing")));
  EXPECT_EQ(Setting("Extract1File"), "<unset>");
}

struct StaleCase {
  const char* what;
  void (*spoil)(WadExtractOneTest& test);
  int selectedIndex;
  const char* expectedMessage;
};

class WadExtractStaleTest : public WadExtractOneTest, public ::testing::WithParamInterface<StaleCase> {};

TEST_P(WadExtractStaleTest, ARowThatNoLongerNamesItsEntryReadsNothing) {
  const StaleCase& c = GetParam();
  ASSERT_TRUE(bench.SelectRowOfIndex(c.selectedIndex));
  c.spoil(*this);
  bench.dialogAnswers.push_back(dir.Internal("saved"));
  LMDFilesDblClick(state, bench);
  EXPECT_EQ(bench.messages, (std::vector<std::string>{c.expectedMessage}));
  EXPECT_FALSE(NativeExists(dir.Native("saved")));
  EXPECT_TRUE(bench.captions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WadExtractStaleTest,
    ::testing::Values(
        StaleCase{"DirectoryShrankBelowTheIndex", [](WadExtractOneTest& t) { t.wad().Entries.resize(2); }, 2,
                  kRowOutsideDirectory},
        StaleCase{"IndexFieldUnreadable", [](WadExtractOneTest& t) { t.selectedRowText() = "a.tex;cars\\;4;x"; }, 0,
                  kRowOutsideDirectory},
        StaleCase{"DirectoryOfAnotherArchive",
                  [](WadExtractOneTest& t) {
                    // What a creation leaves: another archive's directory in memory.
                    WadArchive other;
                    WriteNativeFile(t.native("other.wad"), PackedWad({{"p", "1"}, {"q", "2"}, {"r", "3"}}));
                    LoadWadDirectory(other, t.internal("other.wad"));
                    t.wad().Entries = other.Entries;
                  },
                  1, kRowFromOtherListing},
        StaleCase{"ArchiveRewrittenSinceTheListing",
                  [](WadExtractOneTest& t) {
                    WriteNativeFile(t.native("x\\cars.wad"), PackedWad({{"cars\\a.tex", "AAAA"}, {"b.bin", "XXXX"},
                                                                        {"maps\\m\\c.dat", "CCCCCC"}}));
                  },
                  1, kRowFromOtherListing},
        StaleCase{"RowsOfAnOlderListingOfTheSameFile",
                  [](WadExtractOneTest& t) {
                    // The archive was replaced and its new directory loaded, but the
                    // list still shows the old rows.
                    WriteNativeFile(t.native("x\\cars.wad"), PackedWad({{"z", "1"}, {"y", "2"}, {"x", "3"}}));
                    LoadWadDirectory(t.wad(), t.internal("x\\cars.wad"));
                  },
                  1, kRowFromOtherListing}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace skarvel
