// The history of patches: chains of updates on one archive, each undone back
// to every earlier state and compared byte for byte with a copy kept here; the
// refusals that change nothing; and what a crash at either side of the
// archive's replacement leaves.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/WadUpdate.h"
#include "archive/history/Restore.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Paths.h"
#include "support/OperationTest.h"
#include "support/WadBytes.h"

namespace skarvel::history {
namespace {

using test::PackedWad;
using test::ReadNativeFile;
using test::TestEntry;
using test::WriteNativeFile;

struct Step {
  std::string package;  // empty: the command line's patch
  std::vector<TestEntry> files;
};

struct Chain {
  const char* name;
  std::string archive;  // the bytes before the first patch
  std::vector<Step> steps;
};

class HistoryTest : public test::OperationTest {
 protected:
  HistoryStore store{dir.Internal("history")};
  std::string archive = dir.Internal("track.wad");

  // Runs the steps as updates with history; the archive's bytes before each
  // step and after the last.
  std::vector<std::string> Apply(const Chain& chain) {
    WriteNativeFile(dir.Native("track.wad"), chain.archive);
    bench.archiveText = archive;
    std::vector<std::string> states{chain.archive};
    for (std::size_t k = 0; k < chain.steps.size(); ++k) {
      const std::string source = "src" + std::to_string(k);
      for (const TestEntry& file : chain.steps[k].files) {
        WriteNativeFile(dir.Native(ToNativePath(source + "\\" + file.name)), file.data);
      }
      bench.sourceText = dir.Internal(source);
      UpdateOptions options;
      options.history = &store;
      options.origin = {"run" + std::to_string(k), chain.steps[k].package.empty() ? "command line" : "installer",
                        chain.steps[k].package};
      EXPECT_TRUE(Update1wad(state, bench, options)) << chain.name << " step " << k;
      states.push_back(ReadNativeFile(dir.Native("track.wad")));
    }
    return states;
  }
  std::string Bytes() const { return ReadNativeFile(dir.Native("track.wad")); }
};

void PrintTo(const Chain& chain, std::ostream* out) { *out << chain.name; }

// Before, a gap, and bytes after the last entry: what no entry holds is kept too.
std::string WithTail(std::string bytes) { return bytes + "tail bytes no entry holds"; }

const Chain kChains[] = {
    {"replace", PackedWad({{"a.tex", "aaaa"}, {"b.tex", "bbbbbbbb"}, {"c.tex", "cc"}}),
     {{"", {{"b.tex", "B"}}}, {"", {{"b.tex", "BBBBBBBBBBBBBBBB"}}}, {"", {{"a.tex", "A2"}, {"c.tex", "C2"}}}}},
    {"append", PackedWad({{"a.tex", "aaaa"}}), {{"", {{"new.tex", "nn"}}}, {"", {{"more.tex", "mmmm"}}}}},
    {"replace and append, tail bytes", WithTail(PackedWad({{"a.tex", "aaaa"}, {"b.tex", "bb"}})),
     {{"", {{"a.tex", "A"}, {"z.tex", "zzz"}}}, {"", {{"b.tex", "B2B2B2"}}}}},
    {"two packages on the same entry", PackedWad({{"car.tex", "original"}, {"x.bin", "x"}}),
     {{"C:\\pkgA", {{"car.tex", "package A"}}}, {"C:\\pkgB", {{"car.tex", "package B, longer"}}}}},
    {"empty archive", PackedWad({}), {{"", {{"first.tex", "1"}}}}},
    {"nearly every entry replaced", PackedWad({{"a.tex", std::string(3000, 'a')}, {"b.tex", std::string(3000, 'b')}}),
     {{"", {{"a.tex", "A"}, {"b.tex", "B"}}}, {"", {{"a.tex", "AA"}}}}},
};

class HistoryChainTest : public HistoryTest, public ::testing::WithParamInterface<Chain> {};

TEST_P(HistoryChainTest, EveryEarlierStateComesBackByteForByte) {
  const Chain& chain = GetParam();
  for (std::size_t first = 1; first <= chain.steps.size(); ++first) {
    const std::vector<std::string> states = Apply(chain);
    ASSERT_EQ(store.Read(archive).size(), chain.steps.size());
    WriteNativeFile(dir.Native("track.wad.skarvel-restore-7"), "a step file that a crash left");
    Restore(store, PlanRestore(store, archive, first));
    EXPECT_EQ(Bytes(), states[first - 1]) << "before patch " << first;
    EXPECT_EQ(SearchDirectory(dir.internal(), "track.wad.skarvel-restore-*").size(), 0U) << "step files left";
    EXPECT_EQ(store.Read(archive).size(), first - 1);
    store.Forget(archive);
  }
}

INSTANTIATE_TEST_SUITE_P(Chains, HistoryChainTest, ::testing::ValuesIn(kChains),
                         [](const auto& info) {
                           std::string name;
                           for (const char c : std::string(info.param.name)) name += std::isalnum(c) ? c : '_';
                           return name;
                         });

// The old archive is then kept by a second name of its file, not by a copy.
TEST_F(HistoryTest, AnArchiveNearlyWhollyReplacedIsKeptWholeAtNoCopy) {
  Apply(kChains[5]);
  const std::vector<HistoryStore::Entry> patches = store.Read(archive);
  ASSERT_EQ(patches.size(), 2U);
  EXPECT_TRUE(patches[0].patch.oldKeptWhole);
  EXPECT_EQ(patches[0].patch.StoredBytes(), static_cast<std::int64_t>(patches[0].patch.oldHead.size()));
  EXPECT_EQ(ReadNativeFile(ToNativePath(HistoryStore::OldArchiveOf(patches[0].file))), kChains[5].archive);
  EXPECT_FALSE(patches[1].patch.oldKeptWhole) << "a patch of one small entry of two";
}

// However many entries a patch leaves alone, it keeps the old directory, the
// old bytes of what it replaced, and a few kilobytes besides.
TEST_F(HistoryTest, APatchOfOneEntryKeepsLittleBeyondTheOldDirectoryAndItsOldBytes) {
  std::vector<TestEntry> entries;
  for (int i = 0; i < 2000; ++i) entries.push_back({"e" + std::to_string(i) + ".tex", std::string(100, 'x')});
  Apply({"2000 entries", PackedWad(entries), {{"", {{"e1000.tex", "new"}}}}});
  EXPECT_LE(FileSizeOf(store.Read(archive).back().file), 4 + 2000 * 136 + 100 + 4096);
}

TEST_F(HistoryTest, EitherPackageIsUndoneWithWhatCameAfterIt) {
  const Chain& chain = kChains[3];
  for (const auto& [package, state] : {std::pair{"C:\\pkgB", 1}, std::pair{"C:\\pkgA", 0}}) {
    const std::vector<std::string> states = Apply(chain);
    Restore(store, PlanRestore(store, archive, FirstPatchOfPackage(store.Read(archive), package)));
    EXPECT_EQ(Bytes(), states[static_cast<std::size_t>(state)]) << package;
    store.Forget(archive);
  }
}

// Each step of a package's installation is a process of its own; together they
// are one run, until another patch comes between or half an hour passes.
TEST_F(HistoryTest, TheStepsOfOnePackageMakeOneRun) {
  state.history.emplace(store.Root());
  WriteNativeFile(dir.Native("track.wad"), PackedWad({{"a.tex", "a"}}));
  WriteNativeFile(dir.Native("src\\a.tex"), "A");
  bench.archiveText = archive;
  bench.sourceText = dir.Internal("src\\a.tex");
  struct Step {
    const char* how;
    std::string package;
    bool sameRun;  // as the patch before
  };
  const std::string package = dir.Internal("package");
  for (const Step& step : {Step{"installer", package, false}, Step{"installer", package, true},
                           Step{"installer", dir.Internal("other"), false}, Step{"window", "", false},
                           Step{"installer", package, false}, Step{"installer", package, true}}) {
    const std::vector<HistoryStore::Entry> before = store.Read(archive);
    ASSERT_TRUE(Update1wad(state, bench, RecordedUpdate(state, step.how, step.package)));
    const std::vector<HistoryStore::Entry> after = store.Read(archive);
    ASSERT_EQ(after.size(), before.size() + 1);
    if (!before.empty()) {
      EXPECT_EQ(after.back().patch.run == before.back().patch.run, step.sameRun) << after.size();
    }
  }
  const std::int64_t last = store.Read(archive).back().patch.time;
  EXPECT_FALSE(store.RunToContinue(package, last + 1799).empty());
  EXPECT_TRUE(store.RunToContinue(package, last + 1800).empty()) << "half an hour later";
}

// The first version's files took the content checksum in one chain; each file
// is checked by the checksum of its own version, so those histories still restore.
TEST_F(HistoryTest, AHistoryFileOfTheFirstVersionStillRestores) {
  const std::vector<std::string> states = Apply(kChains[0]);
  const std::string newest = ToNativePath(store.Read(archive).back().file);
  Patch patch = DecodePatch(ReadNativeFile(newest), newest);
  patch.version = 1;
  WriteNativeFile(newest, EncodePatch(patch));
  EXPECT_THROW(PlanRestore(store, archive, 1), RefusedError) << "the second version's checksum in a first's file";
  patch.after = *IdentityOf(archive, 1);
  WriteNativeFile(newest, EncodePatch(patch));
  Restore(store, PlanRestore(store, archive, 1));
  EXPECT_EQ(Bytes(), states[0]);
}

TEST_F(HistoryTest, ARefusedRestoreChangesNeitherTheArchiveNorItsHistory) {
  const Chain& chain = kChains[0];
  struct Case {
    const char* name;
    std::function<void()> damage;
  };
  const Case cases[] = {
      {"changed by another program",
       [this] { WriteNativeFile(dir.Native("track.wad"), Bytes() + "x"); }},
      {"a damaged history file",
       [this] {
         const std::string file = ToNativePath(store.Read(archive).front().file);
         std::string bytes = ReadNativeFile(file);
         bytes[bytes.size() / 2] ^= 1;
         WriteNativeFile(file, bytes);
       }},
  };
  for (const Case& c : cases) {
    Apply(chain);
    c.damage();
    const std::string before = Bytes();
    EXPECT_THROW(Restore(store, PlanRestore(store, archive, 1)), Error) << c.name;
    EXPECT_EQ(Bytes(), before) << c.name;
    store.Forget(archive);
  }
  EXPECT_THROW(PlanRestore(store, archive, 1), RefusedError) << "nothing to undo";
}

// A crash at any moment of an update or a restore leaves files as the store
// writes them on the way: a pending patch, a restore's mark. The next read
// finds exactly the patches that the archive on disk has.
TEST_F(HistoryTest, WhatACrashLeftIsSettledByWhatTheArchiveHolds) {
  const std::vector<std::string> states = Apply({"one", PackedWad({{"a.tex", "aaaa"}}), {{"", {{"a.tex", "A"}}}}});
  const HistoryStore::Entry entry = store.Read(archive).back();
  const std::string folder = ToNativePath(Path(entry.file));
  const std::string patchBytes = ReadNativeFile(ToNativePath(entry.file));
  // The mark of a restore, as the restore leaves it just before the replacement.
  std::string mark;
  {
    HistoryStore::RestoreMark marking = store.MarkRestore(archive, 1, entry.patch.before, {entry.file});
    mark = ReadNativeFile(folder + "restore.mark");
  }
  struct Case {
    const char* name;
    std::string leftFile, leftBytes;  // what the crash left in the archive's folder
    const std::string* archiveBytes;
    std::size_t patchesAfter;
  };
  const Case cases[] = {
      {"update, crash before the replacement", "pending.patch", patchBytes, &states[0], 0},
      {"update, crash after the replacement", "pending.patch", patchBytes, &states[1], 1},
      {"restore, crash before the replacement", "restore.mark", mark, &states[1], 1},
      {"restore, crash after the replacement", "restore.mark", mark, &states[0], 0},
  };
  for (const Case& c : cases) {
    store.Forget(archive);
    if (c.leftFile == "restore.mark") WriteNativeFile(ToNativePath(entry.file), patchBytes);
    WriteNativeFile(folder + c.leftFile, c.leftBytes);
    WriteNativeFile(dir.Native("track.wad"), *c.archiveBytes);
    EXPECT_EQ(store.Read(archive).size(), c.patchesAfter) << c.name;
    EXPECT_FALSE(test::NativeExists(folder + c.leftFile)) << c.name;
  }
}

}  // namespace
}  // namespace skarvel::history
