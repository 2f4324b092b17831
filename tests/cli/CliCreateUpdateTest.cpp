// create, update and update-tracks, and the dry run whose plan must be what the
// real run then does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "archive/WadArchive.h"
#include "archive/WadUpdate.h"
#include "cli/CliRunner.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

// The archive as the engine's own loader reads it: name -> data.
std::map<std::string, std::string> Contents(const TempDir& dir, const std::string& relative) {
  WadArchive wad;
  LoadWadArchive(wad, dir.Internal(relative));
  std::map<std::string, std::string> out;
  for (std::size_t i = 0; i < wad.Entries.size(); ++i) out[EntryName(wad.Entries[i])] = wad.Payloads[i];
  return out;
}

// Checks a dry run's plan lines for one archive against the archive the real run
// wrote: every replaced index holds its new size under its old name, every
// appended name exists with its size, and nothing else was added.
void ExpectPlanMatches(const std::vector<std::string>& planLines, const TempDir& dir, const std::string& relative,
                       std::size_t countBefore) {
  WadArchive wad;
  LoadWadArchive(wad, dir.Internal(relative));
  std::size_t appends = 0;
  for (const std::string& line : planLines) {
    SCOPED_TRACE(line);
    const std::vector<std::string> f = Split(line);
    if (f[0] == "replace") {
      ASSERT_EQ(f.size(), 5u);
      const auto& entry = wad.Entries.at(std::stoul(f[1]));
      EXPECT_EQ(EntryName(entry), f[2]);
      EXPECT_EQ(std::to_string(entry.Size), f[4]);
    } else {
      ASSERT_EQ(f[0], "append");
      ASSERT_EQ(f.size(), 3u);
      ++appends;
      // Appended records come last; an older entry may carry the same name.
      auto it = std::find_if(wad.Entries.rbegin(), wad.Entries.rend(),
                             [&](const WadDirEntry& e) { return EntryName(e) == f[1]; });
      ASSERT_NE(it, wad.Entries.rend());
      EXPECT_EQ(std::to_string(it->Size), f[2]);
    }
  }
  EXPECT_EQ(wad.Entries.size(), countBefore + appends);
}

TEST(CliCreate, PacksEveryFileBelowTheFolder) {
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("src/a.txt"), "0123456789");
  WriteNativeFile(cli.dir.Native("src/cars/X.tex"), std::string(20, 'x'));
  const CliResult r = cli.Run({"create", "src", "new.wad"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("Wad created in ", 0), 0u) << r.err;
  EXPECT_EQ(Contents(cli.dir, "new.wad"),
            (std::map<std::string, std::string>{{"a.txt", "0123456789"}, {"cars\\X.tex", std::string(20, 'x')}}));
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("new.wad")).size(), 4u + 2 * 136 + 30);
  EXPECT_TRUE(cli.ConfigUntouched());
}

TEST(CliCreate, FewerThanTwoFilesIsRefusedWithTheMessage) {
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("one/a.txt"), "a");
  const CliResult r = cli.Run({"create", "one", "new.wad"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Sorry but you have to choose a source folder first.\n");
  EXPECT_FALSE(NativeExists(cli.dir.Native("new.wad")));
}

class CliUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteNativeFile(cli.dir.Native("m.wad"), original);
    WriteNativeFile(cli.dir.Native("patch/a.bin"), "longer replacement");
    WriteNativeFile(cli.dir.Native("patch/race/r.bin"), "R");
    WriteNativeFile(cli.dir.Native("patch/fresh.dat"), "new!");
  }
  CliFixture cli;
  const std::string original =
      PackedWad({{"maps\\a.bin", "old"}, {"maps\\r.bin", "not race"}, {"maps\\race\\r.bin", "race"},
                 {"keep.txt", "k"}});
};

TEST_F(CliUpdate, DryRunChangesNothingAndPlansWhatTheRealRunDoes) {
  const CliResult dry = cli.Run({"update", "m.wad", "patch", "--dry-run"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("m.wad")), original);
  std::vector<std::string> lines = Lines(dry.out);
  ASSERT_EQ(lines.size(), 4u) << dry.out;
  EXPECT_EQ(lines[0], "archive\t" + cli.dir.Native("m.wad"));
  lines.erase(lines.begin());
  std::vector<std::string> sorted = lines;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"append\tfresh.dat\t4", "replace\t0\tmaps\\a.bin\t3\t18",
                                              "replace\t2\tmaps\\race\\r.bin\t4\t1"}));

  const CliResult real = cli.Run({"update", "m.wad", "patch"});
  EXPECT_EQ(real.exitCode, 0) << real.err;
  EXPECT_EQ(real.out, "");
  EXPECT_EQ(real.err.rfind("Update done in ", 0), 0u) << real.err;
  ExpectPlanMatches(lines, cli.dir, "m.wad", 4);
  EXPECT_EQ(Contents(cli.dir, "m.wad").at("maps\\r.bin"), "not race");
  EXPECT_TRUE(cli.ConfigUntouched());
}

TEST_F(CliUpdate, RefusalsShowTheMessageAndLeaveTheArchive) {
  WriteNativeFile(cli.dir.Native("upper.WAD"), original);
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"update", "upper.WAD", "patch"}, "Sorry but you havn't selected a wad file.\n"},
      {{"update", "none.wad", "patch"}, "Sorry but you surely did a mistake in wad's pathname :)\n"},
      {{"update", "m.wad", "patch/none.bin"}, "Sorry but you surely did a mistake in file's pathname :)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    const CliResult r = cli.Run(c.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("m.wad")), original);
}

// The desktop program takes a missing or empty source folder as no files and
// still rewrites the archive; the command line calls a mistyped path what it is
// and leaves every archive as it was.
TEST(CliSources, AMissingOrEmptySourceIsRefusedAndNothingIsWritten) {
  CliFixture cli;
  const std::string archive = PackedWad({{"maps\\x.bin", "old x"}});
  WriteNativeFile(cli.dir.Native("m.wad"), archive + "TRAILING");  // a rewrite would drop the trailing bytes
  for (const char* track : TrackNames) {
    WriteNativeFile(cli.dir.Native(std::string("game/") + track + ".wad"), archive + "TRAILING");
  }
  std::filesystem::create_directories(cli.dir.Native("void/inner"));
  WriteNativeFile(cli.dir.Native("plain.jpeg"), "a file whose name counts as a folder");
  const struct {
    const char* source;
    std::string says;
  } sources[] = {
      {"nope", "There is no source folder " + cli.dir.Native("nope") + ".\n"},
      {"void", "The source folder " + cli.dir.Native("void") + " holds no file.\n"},
      {"plain.jpeg", "The source " + cli.dir.Native("plain.jpeg") + " is a file, not a folder"},
  };
  for (const auto& source : sources) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"update", "m.wad", source.source},
          std::vector<std::string>{"update", "m.wad", source.source, "--dry-run"},
          std::vector<std::string>{"create", source.source, "new.wad"},
          std::vector<std::string>{"update-tracks", source.source, "--game-folder", "game"}}) {
      SCOPED_TRACE(args[0] + " " + source.source);
      const CliResult r = cli.Run(args);
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err.rfind(source.says, 0), 0u) << r.err;
    }
  }
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("m.wad")), archive + "TRAILING");
  for (const char* track : TrackNames) {
    EXPECT_EQ(ReadNativeFile(cli.dir.Native(std::string("game/") + track + ".wad")), archive + "TRAILING") << track;
  }
  EXPECT_FALSE(NativeExists(cli.dir.Native("new.wad")));
  EXPECT_TRUE(cli.ConfigUntouched());
}

// Found by fuzz_update: the dry run planned an update of an archive whose data
// lies outside the file, which the real run then refused.
TEST_F(CliUpdate, ADamagedArchiveIsRefusedByTheDryRunAsByTheRealRun) {
  const std::string damaged = Int32Bytes(1) + RawRecord("a.bin", 140, 50) + "short";
  WriteNativeFile(cli.dir.Native("d.wad"), damaged);
  for (bool dryRun : {true, false}) {
    SCOPED_TRACE(dryRun ? "dry run" : "real run");
    std::vector<std::string> args{"update", "d.wad", "patch"};
    if (dryRun) args.push_back("--dry-run");
    const CliResult r = cli.Run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
    EXPECT_EQ(ReadNativeFile(cli.dir.Native("d.wad")), damaged);
  }
}

// With an empty source folder no step checks the layout: the dry run planned
// nothing for an archive whose data reaches into its directory, which the real
// run's rebuild then refused. The command line now refuses the empty folder
// before the engine sees it (the engine's own refusal is tested with the
// update); either way nothing is planned or written.
TEST_F(CliUpdate, DataInsideTheDirectoryIsRefusedByTheDryRunEvenWithoutSources) {
  const std::string damaged = Int32Bytes(1) + RawRecord("head", 0, 8);
  WriteNativeFile(cli.dir.Native("h.wad"), damaged);
  std::filesystem::create_directories(cli.dir.Native("nothing"));
  for (bool dryRun : {true, false}) {
    SCOPED_TRACE(dryRun ? "dry run" : "real run");
    std::vector<std::string> args{"update", "h.wad", "nothing"};
    if (dryRun) args.push_back("--dry-run");
    const CliResult r = cli.Run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadNativeFile(cli.dir.Native("h.wad")), damaged);
  }
}

// Found by fuzz_update. An empty entry shares its offset with the next entry's
// data (the creation packs an empty file so); given bytes, it used to land on
// that data and the rebuild kept only one of the two, while the run reported
// success. The data at its offset now moves ahead of the new bytes.
TEST_F(CliUpdate, FillingAnEmptyEntryThatSharesItsOffsetMovesTheDataBehindIt) {
  WriteNativeFile(cli.dir.Native("fill/a.bin"), "hello");
  WriteNativeFile(cli.dir.Native("e.wad"), PackedWad({{"a.bin", ""}, {"b.bin", "BBBBBBBB"}}));  // both at 276
  const CliResult dry = cli.Run({"update", "e.wad", "fill", "--dry-run"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_NE(dry.out.find("replace\t0\ta.bin\t0\t5"), std::string::npos) << dry.out;
  const CliResult r = cli.Run({"update", "e.wad", "fill", "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("e.wad")), PackedWad({{"a.bin", "hello"}, {"b.bin", "BBBBBBBB"}}))
      << "still packed, each entry with its own bytes";
}

// An empty entry that points into the middle of other data has no place for new
// bytes that would not land on that data: both runs refuse and keep the archive.
TEST_F(CliUpdate, FillingAnEmptyEntryInsideOtherDataIsRefused) {
  WriteNativeFile(cli.dir.Native("fill/a.bin"), "hello");
  const std::string inside = Int32Bytes(2) + RawRecord("b.bin", 276, 8) + RawRecord("a.bin", 279, 0) + "BBBBBBBB";
  WriteNativeFile(cli.dir.Native("e.wad"), inside);
  for (bool dryRun : {true, false}) {
    SCOPED_TRACE(dryRun ? "dry run" : "real run");
    std::vector<std::string> args{"update", "e.wad", "fill"};
    if (dryRun) args.push_back("--dry-run");
    const CliResult r = cli.Run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("would give bytes to the empty entry"), std::string::npos) << r.err;
    EXPECT_EQ(ReadNativeFile(cli.dir.Native("e.wad")), inside);
  }
}

// An empty entry at the end of the data, as the creation leaves the last empty
// file, takes its bytes like any other.
TEST_F(CliUpdate, FillingTheLastEmptyEntryWorks) {
  WriteNativeFile(cli.dir.Native("fill/a.bin"), "hello");
  WriteNativeFile(cli.dir.Native("e.wad"), PackedWad({{"b.bin", "BBBBBBBB"}, {"a.bin", ""}}));
  const CliResult r = cli.Run({"update", "e.wad", "fill", "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Contents(cli.dir, "e.wad"), (std::map<std::string, std::string>{{"a.bin", "hello"}, {"b.bin", "BBBBBBBB"}}));
}

TEST(CliUpdateTracks, PatchesTheSeventeenTrackArchivesOfTheGivenFolder) {
  CliFixture cli;
  for (const char* track : TrackNames) {
    WriteNativeFile(cli.dir.Native(std::string("game/") + track + ".wad"),
                    PackedWad({{std::string("maps\\") + track + "\\x.bin", "old x"}}));
  }
  WriteNativeFile(cli.dir.Native("patch/x.bin"), "new x");
  WriteNativeFile(cli.dir.Native("patch/added.bin"), "added");

  const CliResult dry = cli.Run({"update-tracks", "patch", "--game-folder", "game", "--dry-run"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  const std::vector<std::string> lines = Lines(dry.out);
  ASSERT_EQ(lines.size(), 17u * 3) << dry.out;

  const CliResult real = cli.Run({"update-tracks", "patch", "--game-folder", "game"});
  EXPECT_EQ(real.exitCode, 0) << real.err;
  for (std::size_t k = 0; k < TrackNames.size(); ++k) {
    const std::string track = TrackNames[k];
    SCOPED_TRACE(track);
    EXPECT_EQ(lines[3 * k], "archive\t" + cli.dir.Native(std::string("game\\") + track + ".wad"));
    const std::vector<std::string> plan(lines.begin() + 3 * k + 1, lines.begin() + 3 * k + 3);
    ExpectPlanMatches(plan, cli.dir, "game\\" + track + ".wad", 1);
    const auto contents = Contents(cli.dir, "game\\" + track + ".wad");
    EXPECT_EQ(contents.at("maps\\" + track + "\\x.bin"), "new x");
    EXPECT_EQ(contents.at("maps\\" + track + "\\added.bin"), "added");
  }
  EXPECT_TRUE(cli.ConfigUntouched());
}

// Without --game-folder the game's registry key decides; with none recorded
// there are no track archives to load, and reading the key writes nothing.
TEST(CliUpdateTracks, WithoutARecordedGameFolderTheRunFails) {
  CliFixture cli;
  // On Windows the program reads the machine's own registry, which must not
  // lead this test to the user's game.
  if (GameFolderRecordedOnThisMachine()) GTEST_SKIP() << "this machine records a game folder";
  WriteNativeFile(cli.dir.Native("patch/x.bin"), "x");
  const CliResult r = cli.Run({"update-tracks", "patch"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err, "");
  EXPECT_TRUE(cli.ConfigUntouched());
}

}  // namespace
}  // namespace skarvel::test
