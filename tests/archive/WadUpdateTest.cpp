#include "archive/WadUpdate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/GameFolder.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "support/OperationTest.h"
#include "support/ParamName.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::Int32Bytes;
using test::IsReadOnly;
using test::MakeReadOnly;
using test::PackedWad;
using test::RawRecord;
using test::ReadNativeFile;
using test::ScriptedWorkbench;
using test::TempDir;
using test::TestEntry;
using test::WriteNativeFile;

// One record of an archive file and the bytes it points at, read byte by byte.
struct Record {
  std::string name;
  std::int32_t offset = 0;
  std::int32_t size = 0;
  std::string data;
};

std::int32_t Int32At(const std::string& bytes, std::size_t at) {
  std::int32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::vector<Record> ParseWad(const std::string& bytes) {
  std::vector<Record> records;
  const std::int32_t count = Int32At(bytes, 0);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::size_t at = 4 + 136 * static_cast<std::size_t>(i);
    Record record;
    record.name = std::string(bytes.data() + at, strnlen(bytes.data() + at, 128));
    record.offset = Int32At(bytes, at + 128);
    record.size = Int32At(bytes, at + 132);
    record.data = bytes.substr(static_cast<std::size_t>(record.offset), static_cast<std::size_t>(record.size));
    records.push_back(record);
  }
  return records;
}

using NamesAndData = std::vector<std::pair<std::string, std::string>>;

NamesAndData Contents(const std::vector<Record>& records) {
  NamesAndData out;
  for (const Record& record : records) out.emplace_back(record.name, record.data);
  return out;
}

bool IsTiming(const std::string& caption) {
  const std::string leading = "Update done in ";
  return caption.starts_with(leading) && caption.size() > leading.size() + 1 && caption.back() == 's';
}

class WadUpdateTest : public test::OperationTest {
 protected:
  // Writes an archive below the temporary folder and names it in the archive edit.
  void UseArchive(const std::string& relative, const std::string& bytes) {
    WriteNativeFile(dir.Native(relative), bytes);
    bench.archiveText = dir.Internal(relative);
  }
  // A file below the source folder "src".
  // relative is internal: a name in the code page, "\" between folders.
  void Source(const std::string& relative, const std::string& data) {
    WriteNativeFile(dir.Native(ToNativePath("src\\" + relative)), data);
  }
  void UseSourceFolder() { bench.sourceText = dir.Internal("src"); }
  std::string Bytes(const std::string& relative) const { return ReadNativeFile(dir.Native(relative)); }
  std::vector<Record> Archive(const std::string& relative) const { return ParseWad(Bytes(relative)); }
  std::string Setting(const std::string& name) const { return state.settings.ReadString(name, "<unset>"); }
  std::string Expand(const std::string& text) const {
    std::string out = text;
    if (out.starts_with("$")) out = dir.internal() + out.substr(1);
    return out;
  }
};

// ---------------------------------------------------------------------------
// The checks before anything happens.

struct CheckCase {
  const char* what;
  const char* source;   // "$" stands for the temporary folder
  const char* archive;
  const char* message;  // nullptr: the run goes through
  bool wadNameWritten;
};

TEST_F(WadUpdateTest, ChecksComeInTheirOrderWithTheirMessages) {
  const std::vector<CheckCase> cases = {
      {"the initial source text", messages::kNoSourceChosen, "$\\a.wad", messages::kChooseSourceFirst, false},
      {"an empty source text", "", "$\\a.wad", messages::kChooseSourceFirst, false},
      {"no archive", "$\\src", "", messages::kChooseWadFirst, false},
      {"capitals", "$\\src", "$\\a.WAD", messages::kNotAWadFile, false},
      {"one capital", "$\\src", "$\\a.waD", messages::kNotAWadFile, false},
      {"shorter than three", "$\\src", "ad", messages::kNotAWadFile, false},
      {"no such archive", "$\\src", "$\\b.wad", messages::kWadPathMistake, false},
      {"a folder named like an archive", "$\\src", "$\\folder.wad", messages::kWadPathMistake, false},
      {"no such single file", "$\\src\\g.tex", "$\\a.wad", messages::kFilePathMistake, true},
      {"a name ending in wad without a dot", "$\\src", "$\\xwad", nullptr, true},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    AppState fresh{Registry::AtFolder(folder.Native("registry"))};
    ScriptedWorkbench window;
    const std::string archive = PackedWad({{"f.tex", "old"}});
    WriteNativeFile(folder.Native("a.wad"), archive);
    WriteNativeFile(folder.Native("xwad"), archive);
    WriteNativeFile(folder.Native("src\\f.tex"), "new");
    std::filesystem::create_directories(folder.Native("folder.wad"));
    auto expand = [&](const std::string& text) {
      return text.starts_with("$") ? folder.internal() + text.substr(1) : text;
    };
    window.sourceText = expand(c.source);
    window.archiveText = expand(c.archive);

    Update1wad(fresh, window, {});

    if (c.message) {
      EXPECT_EQ(window.messages, std::vector<std::string>{c.message});
      EXPECT_TRUE(window.captions.empty());
      EXPECT_EQ(ReadNativeFile(folder.Native("a.wad")), archive);
      EXPECT_EQ(fresh.settings.ReadString("FileName", "<unset>"), "<unset>");
    } else {
      EXPECT_TRUE(window.messages.empty());
      EXPECT_EQ(ParseWad(ReadNativeFile(folder.Native("xwad")))[0].data, "new");
    }
    EXPECT_EQ(fresh.settings.ReadString("WadName", "<unset>"), c.wadNameWritten ? window.archiveText : "<unset>");
    EXPECT_FALSE(fresh.allTracks);
  }
}

TEST_F(WadUpdateTest, AllTracksLooksAtNeitherArchiveTextNorItsSettingAndClearsItsFlag) {
  bench.sourceText = messages::kNoSourceChosen;
  bench.archiveText = "";
  UpdateWads(state, bench, {});
  EXPECT_EQ(bench.messages, std::vector<std::string>{messages::kChooseSourceFirst});
  EXPECT_FALSE(state.allTracks);
}

// ---------------------------------------------------------------------------
// Which entry a source file replaces.

struct MatchCase {
  const char* what;
  std::vector<TestEntry> entries;
  std::vector<TestEntry> files;  // below "src"
  const char* sourceText;        // "$" stands for the temporary folder
  NamesAndData expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.what; }

class WadUpdateMatchTest : public WadUpdateTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(WadUpdateMatchTest, ReplacesTheEntryTheFileStandsFor) {
  const MatchCase& c = GetParam();
  UseArchive("test.wad", PackedWad(c.entries));
  for (const TestEntry& file : c.files) Source(file.name, file.data);
  bench.sourceText = Expand(c.sourceText);
  Update1wad(state, bench, {});
  EXPECT_TRUE(bench.messages.empty());
  EXPECT_EQ(Contents(Archive("test.wad")), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WadUpdateMatchTest,
    ::testing::Values(
        MatchCase{"qualifying: only an entry in a qualifying folder",
                  {{"maps\\x\\a.bin", "old0"}, {"maps\\x\\qualifying\\a.bin", "old1"}},
                  {{"qualifying\\a.bin", "Q"}},
                  "$\\src",
                  {{"maps\\x\\a.bin", "old0"}, {"maps\\x\\qualifying\\a.bin", "Q"}}},
        MatchCase{"race: the folder must stand between separators",
                  {{"race\\a.bin", "old0"}, {"maps\\race\\a.bin", "old1"}},
                  {{"race\\a.bin", "R"}},
                  "$\\src",
                  {{"race\\a.bin", "old0"}, {"maps\\race\\a.bin", "R"}}},
        MatchCase{"both folders: the race rule",
                  {{"m\\qualifying\\a.bin", "old0"}, {"m\\race\\a.bin", "old1"}},
                  {{"qualifying\\race\\a.bin", "B"}},
                  "$\\src",
                  {{"m\\qualifying\\a.bin", "old0"}, {"m\\race\\a.bin", "B"}}},
        MatchCase{"qualifying without a qualifying entry is appended",
                  {{"m\\a.bin", "old0"}},
                  {{"qualifying\\a.bin", "Q"}},
                  "$\\src",
                  {{"m\\a.bin", "old0"}, {"a.bin", "Q"}}},
        MatchCase{"cars: by the path below the source folder",
                  {{"other\\car.tex", "old0"}, {"cars\\ferrari\\car.tex", "old1"}},
                  {{"cars\\Ferrari\\car.tex", "C"}},
                  "$\\src",
                  {{"other\\car.tex", "old0"}, {"cars\\ferrari\\car.tex", "C"}}},
        MatchCase{"cars: a file name alone is not enough",
                  {{"car.tex", "old0"}},
                  {{"cars\\car.tex", "C"}},
                  "$\\src",
                  {{"car.tex", "old0"}, {"cars\\car.tex", "C"}}},
        MatchCase{"cars: a single file takes its path from the cars folder on",
                  {{"cars\\ferrari\\car.tex", "old0"}},
                  {{"mod\\cars\\ferrari\\car.tex", "S"}},
                  "$\\src\\mod\\cars\\ferrari\\car.tex",
                  {{"cars\\ferrari\\car.tex", "S"}}},
        MatchCase{"plain: by file name in any folder and any case",
                  {{"Maps\\Deep\\X.TEX", "old0"}},
                  {{"some\\other\\x.tex", "P"}},
                  "$\\src",
                  {{"Maps\\Deep\\X.TEX", "P"}}},
        MatchCase{"plain: the first match in directory order wins",
                  {{"a\\x.tex", "A"}, {"b\\x.tex", "B"}},
                  {{"x.tex", "N"}},
                  "$\\src",
                  {{"a\\x.tex", "N"}, {"b\\x.tex", "B"}}},
        MatchCase{"plain: Windows-1252 capitals against a file name in small letters",
                  {{"\xC9T\xC9.TEX", "old0"}},
                  {{"\xE9t\xE9.tex", "E"}},
                  "$\\src",
                  {{"\xC9T\xC9.TEX", "E"}}},
        MatchCase{"a single plain file",
                  {{"a\\x.tex", "old0"}, {"y.tex", "old1"}},
                  {{"deep\\y.tex", "Y"}},
                  "$\\src\\deep\\y.tex",
                  {{"a\\x.tex", "old0"}, {"y.tex", "Y"}}}),
    [](const ::testing::TestParamInfo<MatchCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(WadUpdateTest, TwoFilesOfTheSameNameLeaveTheLaterOnesData) {
  UseArchive("test.wad", PackedWad({{"m\\x.tex", "old"}, {"m\\y.tex", "why"}}));
  Source("one\\x.tex", "first");
  Source("two\\x.tex", "second!");
  UseSourceFolder();
  Update1wad(state, bench, {});
  ASSERT_EQ(state.sources.size(), 2u);
  const std::string later = Patchname(Path(state.sources[1]).substr(0, Path(state.sources[1]).size() - 1));
  const std::string expected = later == "one" ? "first" : "second!";
  EXPECT_EQ(Contents(Archive("test.wad")), (NamesAndData{{"m\\x.tex", expected}, {"m\\y.tex", "why"}}));
}

TEST_F(WadUpdateTest, AFileMatchesAnEntryAppendedEarlierInTheSameRun) {
  UseArchive("monza2001.wad", PackedWad({{"keep.bin", "k"}}));
  Source("one\\new.bin", "first");
  Source("two\\new.bin", "second!");
  UseSourceFolder();
  Update1wad(state, bench, {});
  const std::vector<Record> records = Archive("monza2001.wad");
  ASSERT_EQ(records.size(), 2u) << "the second file replaces the entry the first one appended";
  EXPECT_EQ(records[1].name, "maps\\monza2001\\new.bin");
  EXPECT_TRUE(records[1].data == "first" || records[1].data == "second!");
  EXPECT_EQ(records[1].data.size(), static_cast<std::size_t>(records[1].size));
  EXPECT_EQ(records[0].data, "k");
}

// ---------------------------------------------------------------------------
// Offsets.

class WadUpdateSizeTest : public WadUpdateTest, public ::testing::WithParamInterface<int> {};

TEST_P(WadUpdateSizeTest, LaterDataMovesByTheChangeInSize) {
  const int newSize = GetParam();
  // Directory order is not data order: "tail.bin" (record 0) lies behind the
  // replaced entry, "head.bin" (record 2) in front of it.
  const std::string head(20, 'h'), big(100, 'b'), tail(30, 't');
  const std::int32_t start = 4 + 136 * 3;
  std::string bytes = Int32Bytes(3) + RawRecord("tail.bin", start + 120, 30) + RawRecord("big.bin", start + 20, 100) +
                      RawRecord("head.bin", start, 20) + head + big + tail;
  UseArchive("test.wad", bytes);
  Source("big.bin", std::string(static_cast<std::size_t>(newSize), 'N'));
  UseSourceFolder();

  Update1wad(state, bench, {});

  const std::string after = Bytes("test.wad");
  EXPECT_EQ(static_cast<std::int64_t>(after.size()), static_cast<std::int64_t>(bytes.size()) + newSize - 100);
  const std::vector<Record> records = ParseWad(after);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].offset, start + 120 + newSize - 100);
  EXPECT_EQ(records[1].offset, start + 20);
  EXPECT_EQ(records[2].offset, start);
  EXPECT_EQ(records[0].data, tail);
  EXPECT_EQ(records[1].data, std::string(static_cast<std::size_t>(newSize), 'N'));
  EXPECT_EQ(records[2].data, head);
}

INSTANTIATE_TEST_SUITE_P(GrowShrinkKeep, WadUpdateSizeTest, ::testing::Values(150, 40, 100, 0), test::PrintedParamName());

TEST_F(WadUpdateTest, AnAppendedFileLiesDirectlyBehindTheLargerDirectory) {
  const std::string bytes = PackedWad({{"a.bin", "aaaa"}, {"b.bin", "bbbbbb"}});
  UseArchive("test.wad", bytes);
  Source("new.bin", std::string(1000, 'n'));
  UseSourceFolder();

  Update1wad(state, bench, {});

  const std::string after = Bytes("test.wad");
  EXPECT_EQ(after.size(), bytes.size() + 1136);
  const std::vector<Record> before = ParseWad(bytes);
  const std::vector<Record> records = ParseWad(after);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[2].name, "new.bin");
  EXPECT_EQ(records[2].offset, 412);
  EXPECT_EQ(records[2].size, 1000);
  EXPECT_EQ(records[2].data, std::string(1000, 'n'));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(records[i].offset, before[i].offset + 1136);
    EXPECT_EQ(records[i].data, before[i].data);
  }
}

struct NamingCase {
  const char* archive;
  const char* appended;
};

void PrintTo(const NamingCase& c, std::ostream* os) { *os << c.archive; }

class WadUpdateNamingTest : public WadUpdateTest, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(WadUpdateNamingTest, AnUnmatchedFileGetsThePrefixOfItsArchive) {
  UseArchive(GetParam().archive, Int32Bytes(0));  // an empty archive matches nothing
  Source("New.BIN", "12345");
  UseSourceFolder();
  Update1wad(state, bench, {});
  const std::vector<Record> records = Archive(GetParam().archive);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].name, GetParam().appended);
  EXPECT_EQ(records[0].offset, 140);
  EXPECT_EQ(records[0].data, "12345");
}

INSTANTIATE_TEST_SUITE_P(ArchiveNames, WadUpdateNamingTest,
                         ::testing::Values(NamingCase{"cars.wad", "cars\\new.bin"},
                                           NamingCase{"Cars.wad", "cars\\new.bin"},
                                           NamingCase{"cArS.wad", "cars\\new.bin"},
                                           NamingCase{"monza2001.wad", "maps\\monza2001\\new.bin"},
                                           NamingCase{"Monza2001.wad", "new.bin"},
                                           NamingCase{"other.wad", "new.bin"}), test::PrintedParamName());

// ---------------------------------------------------------------------------
// The status line, the settings and the listing.

TEST_F(WadUpdateTest, ThreeFilesShowThirtyThreeSixtySixAHundredThenTheTime) {
  UseArchive("a.wad", PackedWad({{"x.bin", "1"}}));
  Source("x.bin", "new");
  Source("y.bin", "y");
  Source("z.bin", "z");
  UseSourceFolder();

  Update1wad(state, bench, {});

  const std::vector<std::string> progress = {
      "caption:Updating a.wad : 33%",  "position:33",  "repaint", "caption:Updating a.wad : 66%",
      "position:66",                   "repaint",      "caption:Updating a.wad : 100%",
      "position:100",                  "repaint",      "position:0"};
  ASSERT_GE(bench.events.size(), progress.size() + 2);
  EXPECT_EQ(std::vector<std::string>(bench.events.begin(), bench.events.begin() + progress.size()), progress);
  EXPECT_TRUE(IsTiming(bench.captions.back())) << bench.captions.back();
  EXPECT_EQ(bench.events[progress.size()], "caption:" + bench.captions.back());
  // Then the archive is listed again: emptied, then its 3 rows.
  EXPECT_EQ(std::vector<std::string>(bench.events.begin() + progress.size() + 1, bench.events.end()),
            (std::vector<std::string>{"rows:0", "rows:3"}));
}

struct SettingsCase {
  const char* what;
  bool allTracks;
  bool commandLine;
  bool dryRun;
  bool wadName;
  bool fileName;
};

TEST_F(WadUpdateTest, SettingsAreWrittenAsTheModeSays) {
  const std::vector<SettingsCase> cases = {
      {"one archive", false, false, false, true, true},
      {"command line", false, true, false, true, false},
      {"all tracks", true, false, false, false, true},
      {"all tracks from the command line", true, true, false, false, false},
      {"dry run", false, false, true, false, false},
  };
  for (const SettingsCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    AppState fresh{Registry::AtFolder(folder.Native("registry"))};
    ScriptedWorkbench window;
    for (const char* track : TrackNames) {
      WriteNativeFile(folder.Native(std::string("gp4\\") + track + ".wad"), PackedWad({{"x.bin", "old"}}));
    }
    WriteNativeFile(folder.Native("a.wad"), PackedWad({{"x.bin", "old"}}));
    WriteNativeFile(folder.Native("src\\x.bin"), "new");
    window.archiveText = folder.Internal("a.wad");
    window.sourceText = folder.Internal("src");
    fresh.commandLineMode = c.commandLine;
    UpdateOptions options;
    options.dryRun = c.dryRun;
    options.gameFolder = folder.Internal("gp4");

    if (c.allTracks) {
      UpdateWads(fresh, window, options);
    } else {
      Update1wad(fresh, window, options);
    }

    EXPECT_EQ(fresh.settings.ReadString("WadName", "<unset>"), c.wadName ? window.archiveText : "<unset>");
    EXPECT_EQ(fresh.settings.ReadString("FileName", "<unset>"), c.fileName ? window.sourceText : "<unset>");
    EXPECT_FALSE(fresh.allTracks);
  }
}

// ---------------------------------------------------------------------------
// All tracks.

class AllTracksTest : public WadUpdateTest {
 protected:
  std::map<std::string, std::string> before;

  // The 17 track archives in "gp4", each with an entry that the source "shared.tex"
  // replaces and one that nothing touches.
  void MakeGameFolder() {
    WriteNativeFile(dir.Native("gp4\\GP4.exe"), "MZ");
    for (const char* track : TrackNames) {
      const std::string relative = std::string("gp4\\") + track + ".wad";
      const std::string bytes =
          PackedWad({{std::string("maps\\") + track + "\\shared.tex", "old"}, {std::string(track) + ".bin", track}});
      WriteNativeFile(dir.Native(relative), bytes);
      before[track] = bytes;
    }
    Source("shared.tex", "NEW");
    Source("extra.tex", "EXTRA");
    UseSourceFolder();
    UseArchive("listed.wad", PackedWad({{"l1", "1"}, {"l2", "2"}}));
  }
  std::string TrackFile(const std::string& track) const { return "gp4\\" + track + ".wad"; }
  void ExpectUpdated(const std::string& track) const {
    EXPECT_EQ(Contents(Archive(TrackFile(track))),
              (NamesAndData{{"maps\\" + track + "\\shared.tex", "NEW"},
                            {track + ".bin", track},
                            {"maps\\" + track + "\\extra.tex", "EXTRA"}}))
        << track;
  }
};

TEST_F(AllTracksTest, UpdatesTheSeventeenArchivesOfTheGameFolderFromTheRegistry) {
  MakeGameFolder();
  regpath(state.registry, dir.Internal("gp4"));

  UpdateWads(state, bench, {});

  for (const char* track : TrackNames) ExpectUpdated(track);
  EXPECT_TRUE(state.gameFolderFound);
  EXPECT_FALSE(state.allTracks);
  // Per archive: 50, 100, then back to 0; after the last one 0 again.
  std::vector<int> positions;
  for (std::size_t k = 0; k < TrackNames.size(); ++k) positions.insert(positions.end(), {50, 100, 0});
  positions.push_back(0);
  EXPECT_EQ(bench.positions, positions);
  EXPECT_EQ(bench.captions[0], "Updating a1ring2001.wad : 50%");
  EXPECT_EQ(bench.captions[bench.captions.size() - 2], "Updating suzuka2001.wad : 100%");
  EXPECT_TRUE(IsTiming(bench.captions.back()));
  // The archive edit's archive is listed, not a track.
  EXPECT_EQ(bench.rows.size(), 2u);
  EXPECT_EQ(Setting("WadName"), "<unset>");
}

TEST_F(AllTracksTest, AGameFolderGivenByTheCallerTakesThePlaceOfTheRegistry) {
  MakeGameFolder();
  UpdateOptions options;
  options.gameFolder = dir.Internal("gp4");
  UpdateWads(state, bench, options);
  for (const char* track : TrackNames) ExpectUpdated(track);
}

TEST_F(AllTracksTest, AFailureInTheMiddleLeavesEarlierArchivesUpdatedAndLaterOnesUntouched) {
  MakeGameFolder();
  std::filesystem::remove(dir.Native(TrackFile(TrackNames[5])));
  UpdateOptions options;
  options.gameFolder = dir.Internal("gp4");

  try {
    UpdateWads(state, bench, options);
    FAIL() << "a missing track archive ends the run";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), 2);
  }

  for (std::size_t k = 0; k < 5; ++k) ExpectUpdated(TrackNames[k]);
  for (std::size_t k = 6; k < TrackNames.size(); ++k) {
    EXPECT_EQ(Bytes(TrackFile(TrackNames[k])), before[TrackNames[k]]) << TrackNames[k];
  }
  EXPECT_FALSE(state.allTracks);
  EXPECT_EQ(bench.captions.back(), "Updating imola2001.wad : 100%") << "the last progress text stays";
  EXPECT_TRUE(bench.rows.empty()) << "the contents list is not refreshed";
}

// ---------------------------------------------------------------------------
// Source files and their attributes.

TEST_F(WadUpdateTest, AMissingSourceFolderRewritesTheArchiveUnchanged) {
  const std::string packed = PackedWad({{"a.bin", "aaa"}, {"b.bin", "bb"}});
  // Bytes behind the last entry's data do not survive a rewrite: their absence
  // shows that the archive was written again.
  UseArchive("test.wad", packed + "TRAILING");
  bench.sourceText = dir.Internal("no such folder");
  Update1wad(state, bench, {});
  EXPECT_EQ(Bytes("test.wad"), packed);
  EXPECT_TRUE(IsTiming(bench.captions.back()));
  EXPECT_EQ(bench.positions, std::vector<int>{0});
}

// Without a source file no step checks the layout, yet the rebuild refuses data
// that reaches into the directory: the dry run must refuse it as the run does.
TEST_F(WadUpdateTest, DataInsideTheDirectoryIsRefusedEvenWithoutSources) {
  const std::string damaged = Int32Bytes(1) + RawRecord("head", 0, 8);
  UseArchive("h.wad", damaged);
  std::filesystem::create_directories(dir.Native("src"));
  UseSourceFolder();
  for (bool dryRun : {true, false}) {
    SCOPED_TRACE(dryRun ? "dry run" : "real run");
    UpdateOptions options;
    options.dryRun = dryRun;
    EXPECT_THROW(Update1wad(state, bench, options), RefusedError);
    EXPECT_EQ(Bytes("h.wad"), damaged);
  }
}

TEST_F(WadUpdateTest, AReadOnlyReplacedSourceIsWritableAfterwards) {
  UseArchive("test.wad", PackedWad({{"x.tex", "old"}}));
  Source("x.tex", "new");
  MakeReadOnly(dir.Native("src\\x.tex"));
  UseSourceFolder();
  Update1wad(state, bench, {});
  EXPECT_FALSE(IsReadOnly(dir.Native("src\\x.tex")));
  EXPECT_EQ(Archive("test.wad")[0].data, "new");
}

TEST_F(WadUpdateTest, AReadOnlyAppendedSourceFailsWithCodeFiveAndLeavesTheArchiveAlone) {
  const std::string bytes = PackedWad({{"x.tex", "old"}});
  UseArchive("test.wad", bytes);
  Source("x.tex", "new");
  Source("added.tex", "added");
  MakeReadOnly(dir.Native("src\\added.tex"));
  UseSourceFolder();
  try {
    Update1wad(state, bench, {});
    FAIL() << "a read-only file cannot be opened";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), 5);
  }
  EXPECT_EQ(Bytes("test.wad"), bytes);
  EXPECT_TRUE(IsReadOnly(dir.Native("src\\added.tex")));
  EXPECT_TRUE(std::none_of(bench.captions.begin(), bench.captions.end(), IsTiming));
  EXPECT_TRUE(bench.rows.empty());
}

// ---------------------------------------------------------------------------
// What the format cannot hold is refused before anything changes.

struct RefusalCase {
  const char* what;
  std::string file;     // below "src"
  std::int64_t size;    // made as a sparse file
};

TEST_F(WadUpdateTest, WhatTheFormatCannotHoldIsRefusedBeforeAnythingChanges) {
  const std::vector<RefusalCase> cases = {
      {"a name over 128 bytes", std::string(129, 'n'), 10},
      {"a name over 128 bytes below cars", "cars\\" + std::string(100, 'd') + "\\" + std::string(30, 'f'), 10},
      {"a file of 2 GiB", "big.bin", std::int64_t{1} << 31},
      {"an archive past 2 GiB", "huge.bin", (std::int64_t{1} << 31) - 200},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    AppState fresh{Registry::AtFolder(folder.Native("registry"))};
    ScriptedWorkbench window;
    const std::string bytes = PackedWad({{"keep.tex", "old"}, {"z.bin", std::string(300, 'z')}});
    WriteNativeFile(folder.Native("a.wad"), bytes);
    WriteNativeFile(folder.Native("src\\keep.tex"), "new");
    MakeReadOnly(folder.Native("src\\keep.tex"));
    WriteNativeFile(folder.Native("src\\" + c.file), "");
    std::filesystem::resize_file(folder.Native("src\\" + c.file), static_cast<std::uintmax_t>(c.size));
    window.archiveText = folder.Internal("a.wad");
    window.sourceText = folder.Internal("src");

    try {
      Update1wad(fresh, window, {});
      ADD_FAILURE() << "not refused";
    } catch (const RefusedError& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find(Patchname(folder.Internal("src\\" + c.file))), std::string::npos) << text;
      EXPECT_NE(text.find(DisplayPath(window.archiveText)), std::string::npos) << text;
    }
    EXPECT_EQ(ReadNativeFile(folder.Native("a.wad")), bytes);
    EXPECT_TRUE(IsReadOnly(folder.Native("src\\keep.tex"))) << "no attribute changed";
    EXPECT_TRUE(window.captions.empty());
    EXPECT_FALSE(fresh.allTracks);
  }
}

// Reading a read-only archive is allowed now, so the update itself must say
// that it will not rewrite one, before anything is read or written.
TEST_F(WadUpdateTest, AReadOnlyArchiveIsRefusedAndStaysAsItWas) {
  const std::string bytes = PackedWad({{"x.tex", "old"}});
  WriteNativeFile(dir.Native("a.wad"), bytes);
  WriteNativeFile(dir.Native("src\\x.tex"), "new");
  MakeReadOnly(dir.Native("a.wad"));
  for (const bool dryRun : {false, true}) {
    SCOPED_TRACE(dryRun ? "dry run" : "update");
    ScriptedWorkbench window;
    window.archiveText = dir.Internal("a.wad");
    window.sourceText = dir.Internal("src");
    UpdateOptions options;
    options.dryRun = dryRun;
    try {
      Update1wad(state, window, options);
      ADD_FAILURE() << "not refused";
    } catch (const RefusedError& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find(DisplayPath(window.archiveText)), std::string::npos) << text;
      EXPECT_NE(text.find("read-only"), std::string::npos) << text;
    }
    EXPECT_EQ(ReadNativeFile(dir.Native("a.wad")), bytes);
    EXPECT_TRUE(IsReadOnly(dir.Native("a.wad")));
    EXPECT_TRUE(window.captions.empty());
  }
}

// The limits at their edges, planned with sizes the disk need not hold.
TEST(PlanUpdateTest, TheLargestArchiveTheFormatHoldsPassesAndOneByteMoreIsRefused) {
  const std::vector<WadDirEntry> none;
  const SourceList sources = {"D:\\s\\a.bin"};
  const std::int64_t largest = kWadMaxPosition - (4 + 136);
  for (const std::int64_t size : {largest, largest + 1}) {
    auto sizeOf = [size](const std::string&) { return size; };
    if (size == largest) {
      const UpdatePlan plan = PlanUpdate("D:\\x.wad", none, 0, "D:\\s", sources, sizeOf);
      EXPECT_EQ(plan.resultLength, kWadMaxPosition);
      EXPECT_EQ(plan.resultCount, 1);
    } else {
      EXPECT_THROW(PlanUpdate("D:\\x.wad", none, 0, "D:\\s", sources, sizeOf), RefusedError);
    }
  }
}

TEST(PlanUpdateTest, AGrowingEntryMayNotPushTheDataBehindItPastTheLimit) {
  // Record 0 at 276 (4 + 2 x 136), record 1 behind it; record 0 grows.
  std::vector<WadDirEntry> entries(2);
  std::memset(entries.data(), 0, sizeof(WadDirEntry) * 2);
  std::memcpy(entries[0].Name, "a.bin", 5);
  std::memcpy(entries[1].Name, "b.bin", 5);
  entries[0].Offset = 276, entries[0].Size = 10;
  entries[1].Offset = 286, entries[1].Size = 0;  // empty: its offset still must fit
  const SourceList sources = {"D:\\s\\a.bin"};
  const std::int64_t fits = kWadMaxPosition - 276;
  EXPECT_NO_THROW(PlanUpdate("D:\\x.wad", entries, 2, "D:\\s", sources, [&](const std::string&) { return fits; }));
  EXPECT_THROW(PlanUpdate("D:\\x.wad", entries, 2, "D:\\s", sources, [&](const std::string&) { return fits + 1; }),
               RefusedError);
}

// A file that changes between the plan and its reading is taken as it is then,
// and checked again before its data is read.
// The update leaves kept data in the file, so entries that share their bytes
// cost it nothing in memory: 40 entries on one 1,000-byte block claim six times
// the file, which a load of all the data refuses, but the update patches them.
TEST_F(WadUpdateTest, EntriesSharingOneBlockArePatchedLikeAnyOthers) {
  constexpr std::int32_t kCount = 40;
  std::string bytes = Int32Bytes(kCount);
  for (std::int32_t i = 0; i < kCount; ++i) {
    // Put together step by step: GCC 12 warns wrongly about "e" + std::to_string(i).
    bytes += RawRecord(std::string("e").append(std::to_string(i)).append(".bin"), 4 + 136 * kCount, 1000);
  }
  bytes += std::string(1000, 'o');
  UseArchive("shared.wad", bytes);
  Source("e39.bin", std::string(1000, 'N'));
  Source("new.bin", "add");
  UseSourceFolder();
  UpdateOptions dryRun;
  dryRun.dryRun = true;
  ASSERT_TRUE(Update1wad(state, bench, dryRun));
  ASSERT_TRUE(Update1wad(state, bench, {}));
  const std::vector<Record> records = Archive("shared.wad");
  ASSERT_EQ(records.size(), kCount + 1u);
  for (std::int32_t i = 0; i < kCount; ++i) {
    EXPECT_EQ(records[static_cast<std::size_t>(i)].offset, 4 + 136 * (kCount + 1) + 3) << i;
    EXPECT_EQ(records[static_cast<std::size_t>(i)].data, std::string(1000, 'N')) << i;
  }
  EXPECT_EQ(records[kCount].data, "add");
  EXPECT_EQ(Bytes("shared.wad").size(), 4 + 136 * (kCount + 1) + 3 + 1000u);
}

TEST_F(WadUpdateTest, AFileThatChangedSinceThePlanIsTakenAsItIsNow) {
  UseArchive("test.wad", PackedWad({{"a.bin", "aaaa"}, {"b.bin", "bbbb"}}));
  Source("a.bin", "12");
  UseSourceFolder();
  UpdateOptions options;
  options.onPlan = [&](const UpdatePlan&) { Source("a.bin", "123456789"); };
  Update1wad(state, bench, options);
  const std::vector<Record> records = Archive("test.wad");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].data, "123456789");
  EXPECT_EQ(records[1].data, "bbbb");
  EXPECT_EQ(Bytes("test.wad").size(), 4 + 2 * 136 + 9 + 4u);
}

TEST_F(WadUpdateTest, AFileThatGrewPastTheLimitSinceThePlanIsRefusedBeforeItIsRead) {
  const std::string bytes = PackedWad({{"a.bin", "aaaa"}, {"b.bin", std::string(500, 'b')}});
  UseArchive("test.wad", bytes);
  Source("a.bin", "12");
  UseSourceFolder();
  UpdateOptions options;
  options.onPlan = [&](const UpdatePlan&) {
    std::filesystem::resize_file(dir.Native("src\\a.bin"), (std::uintmax_t{1} << 31) - 300);
  };
  EXPECT_THROW(Update1wad(state, bench, options), RefusedError);
  EXPECT_EQ(Bytes("test.wad"), bytes);
  EXPECT_FALSE(state.allTracks);
}

// ---------------------------------------------------------------------------
// A dry run plans exactly what the run then does.

TEST_F(WadUpdateTest, ADryRunChangesNothingAndPlansWhatTheRunThenDoes) {
  const std::string bytes =
      PackedWad({{"maps\\x.tex", "x0"}, {"m\\race\\r.bin", "r0"}, {"cars\\c\\car.tex", "c0"}, {"z.bin", "z0"}});
  UseArchive("monza2001.wad", bytes);
  Source("x.tex", "X-new");
  Source("race\\r.bin", "R");
  Source("cars\\c\\car.tex", "");
  Source("a\\added.bin", "AAAA");
  Source("b\\added.bin", "BB");
  MakeReadOnly(dir.Native("src\\x.tex"));
  UseSourceFolder();

  std::vector<UpdatePlan> planned;
  UpdateOptions dry;
  dry.dryRun = true;
  dry.onPlan = [&](const UpdatePlan& plan) { planned.push_back(plan); };
  Update1wad(state, bench, dry);

  EXPECT_EQ(Bytes("monza2001.wad"), bytes);
  EXPECT_TRUE(IsReadOnly(dir.Native("src\\x.tex")));
  EXPECT_TRUE(bench.events.empty());
  EXPECT_EQ(Setting("WadName"), "<unset>");
  EXPECT_EQ(state.wad.Count, 0) << "the shared archive is left alone";

  std::vector<UpdatePlan> done;
  UpdateOptions real;
  real.onPlan = [&](const UpdatePlan& plan) { done.push_back(plan); };
  Update1wad(state, bench, real);

  ASSERT_EQ(planned.size(), 1u);
  EXPECT_EQ(planned, done);
  const UpdatePlan& plan = planned[0];
  ASSERT_EQ(plan.steps.size(), 5u);
  const std::string after = Bytes("monza2001.wad");
  EXPECT_EQ(static_cast<std::int64_t>(after.size()), plan.resultLength);
  const std::vector<Record> records = ParseWad(after);
  ASSERT_EQ(static_cast<std::int32_t>(records.size()), plan.resultCount);
  EXPECT_EQ(plan.resultCount, 5) << "one append, then a replacement of the appended entry";
  for (const UpdateStep& step : plan.steps) {
    EXPECT_EQ(records[static_cast<std::size_t>(step.index)].name, step.entryName);
  }
  EXPECT_EQ(records[4].name, "maps\\monza2001\\added.bin");
  EXPECT_EQ(records[0].data, "X-new");
  EXPECT_EQ(records[1].data, "R");
  EXPECT_EQ(records[2].data, "");
  EXPECT_EQ(records[3].data, "z0");
}

}  // namespace
}  // namespace skarvel
