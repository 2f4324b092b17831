#include "archive/WadArchive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::Int32Bytes;
using test::PackedWad;
using test::RawRecord;
using test::ReadNativeFile;
using test::TempDir;
using test::WriteNativeFile;

std::string Bytes(char c, std::size_t n) { return std::string(n, c); }

std::size_t FilesIn(const std::string& nativeFolder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(nativeFolder)) ++n;
  return n;
}

WadDirEntry Record(const std::string& name, std::int32_t offset, std::int32_t size) {
  WadDirEntry entry{};
  SetEntryName(entry, name);
  entry.Offset = offset;
  entry.Size = size;
  return entry;
}

// A shared archive that holds something already, so that a failed load can be
// seen to leave it alone.
WadArchive Sentinel() {
  WadArchive wad;
  wad.Count = 1;
  wad.Entries = {Record("old\\entry.bin", 140, 3)};
  wad.Payloads = {"old"};
  return wad;
}

void ExpectSameArchive(const WadArchive& a, const WadArchive& b) {
  EXPECT_EQ(a.Count, b.Count);
  ASSERT_EQ(a.Entries.size(), b.Entries.size());
  for (std::size_t i = 0; i < a.Entries.size(); ++i) {
    EXPECT_EQ(0, std::memcmp(&a.Entries[i], &b.Entries[i], sizeof(WadDirEntry))) << "record " << i;
  }
  EXPECT_EQ(a.Payloads, b.Payloads);
}

// The file RebuildWad must produce, painted the plain way: zeros, the header and
// records, then every payload at its offset in directory order.
std::string PaintedArchive(const WadArchive& wad, std::int32_t count) {
  std::size_t length = 4 + 136 * static_cast<std::size_t>(count);
  for (std::int32_t i = 0; i < count; ++i) {
    const WadDirEntry& e = wad.Entries[static_cast<std::size_t>(i)];
    if (e.Size > 0) length = std::max(length, static_cast<std::size_t>(e.Offset) + static_cast<std::size_t>(e.Size));
  }
  std::string out(length, '\0');
  std::memcpy(out.data(), Int32Bytes(count).data(), 4);
  std::memcpy(out.data() + 4, wad.Entries.data(), 136 * static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const WadDirEntry& e = wad.Entries[static_cast<std::size_t>(i)];
    const std::string& data = wad.Payloads[static_cast<std::size_t>(i)];
    std::memcpy(out.data() + e.Offset, data.data(), data.size());
  }
  return out;
}

class WadArchiveTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string native = dir.Native("a.wad");
  std::string path = dir.Internal("a.wad");
};

// ---------------------------------------------------------------- names

TEST(EntryNameTest, NameIsTheFieldUpToTheFirstNulOrAll128Bytes) {
  struct Case {
    std::string field;
    std::string name;
  };
  const Case cases[] = {
      {"maps\\monaco2001\\a.bin", "maps\\monaco2001\\a.bin"},
      {std::string("abc\0junk after", 14), "abc"},
      {Bytes('n', 128), Bytes('n', 128)},
      {Bytes('n', 127), Bytes('n', 127)},
      {"", ""},
  };
  for (const Case& c : cases) {
    WadDirEntry entry{};
    std::memset(entry.Name, 0, sizeof entry.Name);
    std::memcpy(entry.Name, c.field.data(), c.field.size());
    EXPECT_EQ(EntryName(entry), c.name);
  }
}

TEST(EntryNameTest, SetEntryNamePadsWithNulAndRefusesWhatTheFieldCannotHold) {
  WadDirEntry entry{};
  std::memset(entry.Name, 'x', sizeof entry.Name);
  SetEntryName(entry, "cars\\b.tex");
  EXPECT_EQ(EntryName(entry), "cars\\b.tex");
  for (std::size_t i = 10; i < kWadNameSize; ++i) ASSERT_EQ(entry.Name[i], '\0') << i;

  SetEntryName(entry, Bytes('m', 128));
  EXPECT_EQ(EntryName(entry), Bytes('m', 128));

  EXPECT_THROW(SetEntryName(entry, Bytes('m', 129)), RefusedError);
  EXPECT_THROW(SetEntryName(entry, std::string("a\0b", 3)), RefusedError);
  EXPECT_EQ(EntryName(entry), Bytes('m', 128)) << "a refused name leaves the field alone";
}

TEST(WadArchiveResizeTest, ResizingKeepsElementsAndZeroFillsNewOnes) {
  WadArchive wad;
  wad.Entries = {Record("a", 140, 1)};
  wad.Payloads = {"x"};
  wad.ResizeEntries(3);
  wad.ResizePayloads(2);
  ASSERT_EQ(wad.Entries.size(), 3u);
  EXPECT_EQ(EntryName(wad.Entries[0]), "a");
  EXPECT_EQ(wad.Entries[0].Offset, 140);
  for (std::size_t i = 1; i < 3; ++i) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&wad.Entries[i]);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof(WadDirEntry), [](unsigned char b) { return b == 0; })) << i;
  }
  EXPECT_EQ(wad.Payloads, (std::vector<std::string>{"x", ""}));
  wad.ResizeEntries(1);
  EXPECT_EQ(EntryName(wad.Entries[0]), "a");
}

// ---------------------------------------------------------------- round trips

struct RoundTripCase {
  const char* label;
  std::string file;      // the archive on disk
  std::string rebuilt;   // what load + rebuild must leave
};

std::vector<RoundTripCase> RoundTripCases() {
  std::vector<RoundTripCase> cases;
  const std::string packed = PackedWad({{"maps\\monaco2001\\a.bin", "alpha"}, {"b.txt", "bravo!"}, {"c", "c"}});
  cases.push_back({"packed", packed, packed});

  const std::string afterNul = Int32Bytes(1) + RawRecord(std::string("abc\0hidden\x7f bytes", 18), 140, 4) + "data";
  cases.push_back({"bytes after the first NUL of a name", afterNul, afterNul});

  const std::string fullName = Int32Bytes(1) + RawRecord(Bytes('N', 128), 140, 3) + "xyz";
  cases.push_back({"128-byte name without NUL", fullName, fullName});

  cases.push_back({"trailing bytes dropped", packed + "TRAILING", packed});

  // The data starts 16 bytes after the directory; the gap holds junk on disk.
  const std::string gapped = Int32Bytes(2) + RawRecord("g1", 4 + 272 + 16, 3) + RawRecord("g2", 4 + 272 + 16 + 3 + 8, 2);
  cases.push_back({"gaps become zeros", gapped + Bytes('J', 16) + "one" + Bytes('K', 8) + "tw",
                   gapped + Bytes('\0', 16) + "one" + Bytes('\0', 8) + "tw"});

  cases.push_back({"empty archive", Int32Bytes(0), Int32Bytes(0)});
  cases.push_back({"empty archive with trailing bytes", Int32Bytes(0) + "junk", Int32Bytes(0)});

  // An empty entry reads nothing wherever it points, and adds nothing to the file.
  const std::string empties =
      Int32Bytes(3) + RawRecord("e0", 0, 0) + RawRecord("d", 412, 2) + RawRecord("e2", 1000000, 0) + "dd";
  cases.push_back({"size-0 entries", empties, empties});

  const std::string shared = Int32Bytes(2) + RawRecord("s1", 276, 4) + RawRecord("s2", 276, 4) + "same";
  cases.push_back({"two entries sharing their data", shared, shared});

  const std::string reversed = Int32Bytes(2) + RawRecord("late", 280, 3) + RawRecord("early", 276, 4) + "1234" + "567";
  cases.push_back({"data in reverse directory order", reversed, reversed});

  const std::string overlapping =
      Int32Bytes(2) + RawRecord("o1", 276, 6) + RawRecord("o2", 279, 6) + "ABCDEFGHI";
  cases.push_back({"partly overlapping entries", overlapping, overlapping});
  return cases;
}

TEST_F(WadArchiveTest, LoadThenRebuildGivesTheExpectedBytes) {
  for (const RoundTripCase& c : RoundTripCases()) {
    SCOPED_TRACE(c.label);
    WriteNativeFile(native, c.file);
    WadArchive wad;
    LoadWadArchive(wad, path);
    ASSERT_EQ(static_cast<std::size_t>(wad.Count), wad.Entries.size());
    RebuildWad(wad, path, wad.Count);
    EXPECT_EQ(ReadNativeFile(native), c.rebuilt);
    EXPECT_EQ(FilesIn(dir.native()), 1u) << "no temporary file stays behind";
  }
}

TEST_F(WadArchiveTest, LazyLoadThenRebuildGivesTheSameBytesAsAFullLoad) {
  for (const RoundTripCase& c : RoundTripCases()) {
    SCOPED_TRACE(c.label);
    WriteNativeFile(native, c.file);
    WadArchive wad = Sentinel();
    LoadWadArchiveLazily(wad, path);
    ASSERT_EQ(wad.DataLeftInFile.size(), wad.Entries.size());
    for (std::size_t i = 0; i < wad.Entries.size(); ++i) {
      EXPECT_TRUE(wad.IsLeftInFile(i));
      EXPECT_EQ(wad.DataLeftInFile[i], wad.Entries[i].Offset);
      EXPECT_TRUE(wad.Payloads[i].empty()) << "nothing of the data is held";
    }
    RebuildWad(wad, path, wad.Count);
    EXPECT_EQ(ReadNativeFile(native), c.rebuilt);
    EXPECT_EQ(FilesIn(dir.native()), 1u) << "no temporary file stays behind";
  }
}

TEST_F(WadArchiveTest, RebuildMixesDataLeftInTheFileWithDataHeldInMemory) {
  std::mt19937 random(8122026);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const auto count = static_cast<std::int32_t>(1 + random() % 30);
    WadArchive original;
    original.ResizeEntries(static_cast<std::size_t>(count));
    original.ResizePayloads(static_cast<std::size_t>(count));
    std::int64_t next = 4 + 136 * std::int64_t{count};
    for (std::int32_t i = 0; i < count; ++i) {
      WadDirEntry& e = original.Entries[static_cast<std::size_t>(i)];
      // Every fourth round has entries large enough for the kernel to copy them.
      const std::int32_t largest = round % 4 == 3 ? 200000 : 3000;
      const std::int32_t size = random() % 5 == 0 ? 0 : static_cast<std::int32_t>(1 + random() % largest);
      // Packed, with an occasional gap or a step back into the previous entry.
      std::int64_t offset = next + (random() % 4 == 0 ? random() % 40 : 0);
      if (random() % 6 == 0 && next > 4 + 136 * count + 10) offset = next - 10;
      e.Offset = static_cast<std::int32_t>(offset);
      e.Size = size;
      std::string& data = original.Payloads[static_cast<std::size_t>(i)];
      data.resize(static_cast<std::size_t>(size));
      for (char& ch : data) ch = static_cast<char>('a' + random() % 26);
      next = std::max(next, offset + size);
    }
    RebuildWad(original, path, count);

    // Some entries get new bytes of the same size, as an update gives them;
    // the others must be copied from the file as they were.
    WadArchive wad;
    LoadWadArchiveLazily(wad, path);
    WadArchive expected = original;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
      if (random() % 3 != 0) continue;
      std::string data(original.Payloads[i].size(), static_cast<char>('A' + random() % 26));
      expected.Payloads[i] = data;
      wad.SetPayload(i, std::move(data));
      EXPECT_FALSE(wad.IsLeftInFile(i));
    }
    RebuildWad(wad, path, count);
    EXPECT_EQ(ReadNativeFile(native), PaintedArchive(expected, count));
  }
}

TEST_F(WadArchiveTest, DataLeftInAFileThatShrankSinceTheLoadIsRefusedAndTheTargetKept) {
  const std::string file = PackedWad({{"a", "alpha"}, {"b", "bravo"}});
  WriteNativeFile(native, file);
  WadArchive wad;
  LoadWadArchiveLazily(wad, path);
  WriteNativeFile(native, file.substr(0, file.size() - 3));
  const std::string target = dir.Internal("new.wad");
  EXPECT_THROW(RebuildWad(wad, target, wad.Count), FormatError);
  EXPECT_FALSE(test::NativeExists(dir.Native("new.wad")));
  EXPECT_EQ(FilesIn(dir.native()), 1u);
}

TEST_F(WadArchiveTest, LoadFillsEveryPayloadFromItsOwnOffset) {
  WriteNativeFile(native, Int32Bytes(4) + RawRecord("late", 4 + 544 + 4, 3) + RawRecord("early", 4 + 544, 4) +
                              RawRecord("again", 4 + 544, 4) + RawRecord("empty", 9999, 0) + "1234567");
  WadArchive wad = Sentinel();
  LoadWadArchive(wad, path);
  EXPECT_EQ(wad.Count, 4);
  EXPECT_EQ(wad.Payloads, (std::vector<std::string>{"567", "1234", "1234", ""}));
  EXPECT_EQ(EntryName(wad.Entries[1]), "early");
}

TEST_F(WadArchiveTest, LoadDirectoryLeavesPayloadsAlone) {
  WriteNativeFile(native, PackedWad({{"a", "1"}, {"b", "22"}}));
  WadArchive wad = Sentinel();
  LoadWadDirectory(wad, path);
  EXPECT_EQ(wad.Count, 2);
  ASSERT_EQ(wad.Entries.size(), 2u);
  EXPECT_EQ(EntryName(wad.Entries[1]), "b");
  EXPECT_EQ(wad.Entries[1].Size, 2);
  EXPECT_EQ(wad.Payloads, std::vector<std::string>{"old"});
}

// ---------------------------------------------------------------- writing from memory

TEST_F(WadArchiveTest, RebuildPutsTheLaterEntryOnTopWhereRegionsShareBytes) {
  struct Case {
    const char* label;
    std::vector<WadDirEntry> entries;
    std::vector<std::string> payloads;
    std::string data;  // the file after the directory
  };
  const std::int32_t d2 = 4 + 136 * 2, d3 = 4 + 136 * 3;
  const Case cases[] = {
      {"later entry further on", {Record("a", d2, 10), Record("b", d2 + 5, 10)},
       {Bytes('A', 10), Bytes('B', 10)}, "AAAAA" + Bytes('B', 10)},
      {"later entry in front", {Record("a", d2 + 5, 10), Record("b", d2, 10)},
       {Bytes('A', 10), Bytes('B', 10)}, Bytes('B', 10) + "AAAAA"},
      {"later entry inside an earlier one", {Record("a", d3, 10), Record("b", d3 + 5, 10), Record("c", d3 + 2, 3)},
       {Bytes('A', 10), Bytes('B', 10), "CCC"}, "AACCC" + Bytes('B', 10)},
      {"earlier entry inside a later one", {Record("c", d3 + 2, 3), Record("a", d3, 10), Record("z", d3 + 20, 1)},
       {"CCC", Bytes('A', 10), "Z"}, Bytes('A', 10) + Bytes('\0', 10) + "Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WadArchive wad;
    wad.Entries = c.entries;
    wad.Payloads = c.payloads;
    const auto count = static_cast<std::int32_t>(c.entries.size());
    RebuildWad(wad, path, count);
    const std::string file = ReadNativeFile(native);
    ASSERT_GE(file.size(), 4 + 136 * c.entries.size());
    EXPECT_EQ(file.substr(4 + 136 * c.entries.size()), c.data);
  }
}

TEST_F(WadArchiveTest, RebuildWritesOnlyTheFirstCountRecords) {
  WadArchive wad;
  wad.Entries = {Record("kept", 140, 2), Record("beyond", 500, 3)};
  wad.Payloads = {"kk", "bbb"};
  RebuildWad(wad, path, 1);
  EXPECT_EQ(ReadNativeFile(native), Int32Bytes(1) + RawRecord("kept", 140, 2) + "kk");
}

// Many layouts, large and small, gapped, packed and overlapping, checked against
// the plain painting of every payload in directory order.
TEST_F(WadArchiveTest, RebuildMatchesThePlainPaintingOfRandomLayouts) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const auto count = static_cast<std::int32_t>(random() % 40);
    const bool big = round % 10 == 9;  // payloads that fill the write buffer, and some larger than it
    WadArchive wad;
    wad.ResizeEntries(static_cast<std::size_t>(count));
    wad.ResizePayloads(static_cast<std::size_t>(count));
    std::int64_t next = 4 + 136 * std::int64_t{count};
    for (std::int32_t i = 0; i < count; ++i) {
      WadDirEntry& e = wad.Entries[static_cast<std::size_t>(i)];
      SetEntryName(e, std::string("e").append(std::to_string(i)));
      const unsigned shape = random() % 6;
      std::int32_t size = static_cast<std::int32_t>(random() % (big ? 400000 : 300));
      if (big && i % 7 == 0) size = static_cast<std::int32_t>((3u << 20) + random() % 1000);
      if (shape == 0) size = 0;
      std::int64_t offset = next;                                    // packed
      if (shape == 1) offset = next + random() % 50;                 // gap
      if (shape == 2 && next > 4 + 136 * count) offset = next - 1 - random() % 200;  // overlap back
      offset = std::max<std::int64_t>(offset, 4 + 136 * std::int64_t{count});
      if (shape == 0) offset = random() % 100000;  // empty entries may point anywhere
      e.Offset = static_cast<std::int32_t>(offset);
      e.Size = size;
      std::string& data = wad.Payloads[static_cast<std::size_t>(i)];
      data.resize(static_cast<std::size_t>(size));
      for (char& ch : data) ch = static_cast<char>('a' + random() % 26);
      if (size > 0) next = std::max(next, offset + size);
    }
    RebuildWad(wad, path, count);
    const std::string file = ReadNativeFile(native);
    const std::string painted = PaintedArchive(wad, count);
    ASSERT_EQ(file.size(), painted.size());
    const auto differ = std::mismatch(file.begin(), file.end(), painted.begin());
    ASSERT_TRUE(differ.first == file.end()) << "first difference at byte " << (differ.first - file.begin());
  }
}

// Permission bits and file size limits are POSIX's; the Windows suite
// (tests/win32) fails a replacement its own way.
#ifndef _WIN32
TEST_F(WadArchiveTest, RebuildKeepsTheTargetsPermissions) {
  WriteNativeFile(native, PackedWad({{"a", "1"}}));
  ASSERT_EQ(chmod(native.c_str(), 0640), 0);
  WadArchive wad;
  LoadWadArchive(wad, path);
  wad.Payloads[0] = "2";
  RebuildWad(wad, path, 1);
  struct stat info {};
  ASSERT_EQ(stat(native.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadNativeFile(native), PackedWad({{"a", "2"}}));
}
#endif

// ---------------------------------------------------------------- refused layouts

TEST_F(WadArchiveTest, RebuildRefusesUnsoundLayoutsBeforeWritingAnything) {
  struct Case {
    const char* label;
    std::vector<WadDirEntry> entries;
    std::vector<std::string> payloads;
    std::int32_t count;
    const char* says;
  };
  const Case cases[] = {
      {"negative count", {}, {}, -1, "negative"},
      {"fewer records than count", {Record("a", 276, 1)}, {"a", "b"}, 2, "records"},
      {"fewer payloads than count", {Record("a", 276, 1), Record("b", 277, 1)}, {"a"}, 2, "data blocks"},
      {"negative offset", {Record("a", -5, 1)}, {"a"}, 1, "negative offset"},
      {"negative size", {Record("a", 140, -1)}, {""}, 1, "negative size"},
      {"payload longer than its size", {Record("a", 140, 1)}, {"ab"}, 1, "holds 2"},
      {"payload shorter than its size", {Record("a", 140, 3)}, {"ab"}, 1, "holds 2"},
      {"data inside the header", {Record("a", 0, 4)}, {"abcd"}, 1, "inside the header"},
      {"data inside the directory", {Record("a", 100, 4)}, {"abcd"}, 1, "inside the header"},
      {"data ending in the directory", {Record("a", 140, 1), Record("b", 275, 2)}, {"a", "bb"}, 2,
       "inside the header"},
  };
  const std::string before = PackedWad({{"old", "old data"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WriteNativeFile(native, before);
    WadArchive wad;
    wad.Entries = c.entries;
    wad.Payloads = c.payloads;
    try {
      RebuildWad(wad, path, c.count);
      ADD_FAILURE() << "not refused";
    } catch (const RefusedError& e) {
      EXPECT_NE(std::string(e.what()).find(DisplayPath(path)), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadNativeFile(native), before);
    EXPECT_EQ(FilesIn(dir.native()), 1u);
  }
}

TEST_F(WadArchiveTest, RebuildOfAReadOnlyArchiveFailsWithCode5AndKeepsIt) {
  const std::string before = PackedWad({{"old", "old data"}});
  WriteNativeFile(native, before);
  test::MakeReadOnly(native);
  WadArchive wad;
  wad.Entries = {Record("new", 140, 3)};
  wad.Payloads = {"new"};
  try {
    RebuildWad(wad, path, 1);
    ADD_FAILURE() << "a read-only archive was rewritten";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), 5);
  }
  EXPECT_EQ(ReadNativeFile(native), before);
  EXPECT_EQ(FilesIn(dir.native()), 1u);
}

#ifndef _WIN32
// A write that fails halfway (here: the process may not grow a file past 64 KiB,
// which holds for root too) must leave the old archive whole and no temporary file.
TEST_F(WadArchiveTest, AFailureWhileWritingLeavesTheOldArchiveWhole) {
  const std::string before = PackedWad({{"old", "old data"}});
  WriteNativeFile(native, before);
  WadArchive wad;
  wad.Entries = {Record("small", 4 + 136 * 2, 10), Record("large", 4 + 136 * 2 + 10, 1 << 20)};
  wad.Payloads = {Bytes('s', 10), Bytes('L', 1 << 20)};

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool failed = false;
  try {
    RebuildWad(wad, path, 2);
  } catch (const IoError&) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(failed);
  EXPECT_EQ(ReadNativeFile(native), before);
  EXPECT_EQ(FilesIn(dir.native()), 1u);
}
#endif

// ---------------------------------------------------------------- malformed archives

struct MalformedCase {
  const char* label;
  std::string file;
  const char* says;
  bool directoryToo;  // the directory alone is already unreadable
};

std::vector<MalformedCase> MalformedCases() {
  const std::string one = Int32Bytes(1);
  return {
      {"empty file", "", "too short", true},
      {"3-byte file", "abc", "too short", true},
      {"negative count", Int32Bytes(-1) + Bytes('x', 200), "negative (-1)", true},
      {"lowest count", Int32Bytes(INT32_MIN), "negative", true},
      {"2,000,000,000 entries in 20 bytes", Int32Bytes(2000000000) + Bytes('x', 16), "entry count (2000000000)", true},
      // Small enough to allocate, so only a check made first gives a FormatError.
      {"10,000,000 entries in 300 bytes", Int32Bytes(10000000) + Bytes('x', 296), "entry count (10000000)", true},
      {"largest count", Int32Bytes(INT32_MAX) + Bytes('x', 300), "is 304 bytes long", true},
      {"record cut short", one + Bytes('x', 100), "(1) needs a directory ending at byte 140", true},
      {"count larger than its records", Int32Bytes(3) + RawRecord("a", 412, 0) + RawRecord("b", 412, 0),
       "(3) needs a directory ending at byte 412", true},
      {"negative offset", one + RawRecord("n\\o.bin", -1, 1) + "x", "entry 0 \"n\\o.bin\" has a negative offset", false},
      {"negative size", one + RawRecord("ns", 140, -7) + "x", "negative size (-7)", false},
      {"offset past the end", one + RawRecord("p", 5000, 1) + "x", "lies outside the file", false},
      {"one byte past the end", one + RawRecord("p", 140, 2) + "x", "end at 142", false},
      {"end beyond 32 bits", one + RawRecord("big", INT32_MAX, INT32_MAX) + "x", "4294967294", false},
      {"second entry outside", Int32Bytes(2) + RawRecord("ok", 276, 1) + RawRecord("bad", 276, 9) + "x",
       "entry 1 \"bad\"", false},
  };
}

TEST_F(WadArchiveTest, MalformedArchivesFailClearlyAndChangeNothing) {
  for (const MalformedCase& c : MalformedCases()) {
    SCOPED_TRACE(c.label);
    WriteNativeFile(native, c.file);
    for (const bool whole : {true, false}) {
      if (!whole && !c.directoryToo) continue;
      SCOPED_TRACE(whole ? "LoadWadArchive" : "LoadWadDirectory");
      WadArchive wad = Sentinel();
      try {
        whole ? LoadWadArchive(wad, path) : LoadWadDirectory(wad, path);
        ADD_FAILURE() << "loaded";
      } catch (const FormatError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(DisplayPath(path)), std::string::npos) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
      }
      ExpectSameArchive(wad, Sentinel());
      EXPECT_EQ(ReadNativeFile(native), c.file);
    }
  }
}

// A directory can be listed although an entry points outside the file; only
// reading that entry's data fails.
TEST_F(WadArchiveTest, ABrokenEntryIsListedButItsDataIsNotRead) {
  const std::string file = Int32Bytes(2) + RawRecord("good", 276, 2) + RawRecord("bad", 276, -3) + "ok";
  WriteNativeFile(native, file);
  WadArchive wad;
  LoadWadDirectory(wad, path);
  EXPECT_EQ(wad.Entries[1].Size, -3);
  EXPECT_EQ(ReadWadEntry(wad, path, 0), "ok");
  EXPECT_THROW(ReadWadEntry(wad, path, 1), FormatError);
  EXPECT_EQ(ReadNativeFile(native), file);
}

TEST_F(WadArchiveTest, OverlapsThatWouldMultiplyTheFileInMemoryAreRefused) {
  // 200 entries that each claim the whole data region: 200 copies of the file.
  const std::int32_t count = 200;
  const std::int32_t start = 4 + 136 * count;
  std::string file = Int32Bytes(count);
  for (std::int32_t i = 0; i < count; ++i) file += RawRecord("dup" + std::to_string(i), start, 100000);
  file += Bytes('d', 100000);
  WriteNativeFile(native, file);
  WadArchive wad = Sentinel();
  EXPECT_THROW(LoadWadArchive(wad, path), FormatError);
  ExpectSameArchive(wad, Sentinel());
}

// ---------------------------------------------------------------- file access

// Reading asks for no more than reading: a copy from the game's CD keeps its
// read-only attribute, and is listed and read all the same, and stays as it was.
TEST_F(WadArchiveTest, AReadOnlyArchiveIsReadAndStaysReadOnly) {
  const std::string file = PackedWad({{"a", "1"}});
  WriteNativeFile(native, file);
  WadArchive listed;
  LoadWadDirectory(listed, path);
  test::MakeReadOnly(native);

  using Load = std::function<void(WadArchive&)>;
  const std::pair<const char*, Load> loads[] = {
      {"LoadWadDirectory", [&](WadArchive& wad) { LoadWadDirectory(wad, path); }},
      {"LoadWadArchive", [&](WadArchive& wad) { LoadWadArchive(wad, path); }},
      {"ReadWadEntry", [&](WadArchive& wad) { EXPECT_EQ(ReadWadEntry(wad, path, 0), "1"); }},
  };
  for (const auto& [label, load] : loads) {
    SCOPED_TRACE(label);
    WadArchive wad;
    if (std::string(label) == "ReadWadEntry") wad = listed;
    load(wad);
    EXPECT_EQ(wad.Count, 1);
  }
  EXPECT_EQ(ReadNativeFile(native), file);
  EXPECT_TRUE(test::IsReadOnly(native));
}

TEST_F(WadArchiveTest, MissingArchiveFailsWithCode2) {
  WadArchive wad = Sentinel();
  try {
    LoadWadArchive(wad, dir.Internal("missing.wad"));
    ADD_FAILURE() << "loaded";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), 2);
  }
  ExpectSameArchive(wad, Sentinel());
}

TEST_F(WadArchiveTest, ReadWadEntryUsesTheDirectoryLastLoaded) {
  WriteNativeFile(native, PackedWad({{"a", "first"}, {"b", ""}, {"c", "third"}}));
  WadArchive wad;
  LoadWadDirectory(wad, path);
  EXPECT_EQ(ReadWadEntry(wad, path, 0), "first");
  EXPECT_EQ(ReadWadEntry(wad, path, 1), "");
  EXPECT_EQ(ReadWadEntry(wad, path, 2), "third");
  EXPECT_THROW(ReadWadEntry(wad, path, 3), RefusedError);
  EXPECT_THROW(ReadWadEntry(wad, path, -1), RefusedError);

  // The file has since lost its tail: the stale record no longer fits it.
  WriteNativeFile(native, PackedWad({{"a", "first"}}));
  EXPECT_THROW(ReadWadEntry(wad, path, 2), FormatError);
}

}  // namespace
}  // namespace skarvel
