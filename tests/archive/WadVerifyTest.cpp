#include "archive/WadVerify.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "archive/WadArchive.h"
#include "host/Errors.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::Int32Bytes;
using test::PackedWad;
using test::RawRecord;
using test::TempDir;

using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;
using Indexes = std::vector<std::int32_t>;

// An archive made of a count, records and whatever bytes follow them.
std::string Wad(std::int32_t count, const std::vector<std::string>& records, const std::string& tail = {}) {
  std::string out = Int32Bytes(count);
  for (const std::string& record : records) out += record;
  return out + tail;
}

constexpr std::int32_t kDir1 = 4 + 136;      // data start of a one-record archive
constexpr std::int32_t kDir2 = 4 + 2 * 136;  // data start of a two-record archive

struct VerifyCase {
  const char* label;
  std::string bytes;
  bool headerComplete = true;
  bool directoryFits = true;
  std::int32_t recordsExamined = 0;
  Indexes outside = {};
  Indexes intoDirectory = {};
  Pairs overlaps = {};    // (entry, other)
  Pairs duplicates = {};  // (entry, first)
  Indexes unsafe = {};
  std::vector<std::pair<std::int64_t, std::int64_t>> gaps = {};  // (start, length)
  std::int64_t trailing = 0;
  bool packed = false;
  bool ordered = false;
};

std::vector<VerifyCase> Cases() {
  std::vector<VerifyCase> cases;
  auto add = [&](VerifyCase c) { cases.push_back(std::move(c)); };

  add({.label = "an empty archive is four bytes, packed", .bytes = Int32Bytes(0), .packed = true, .ordered = true});
  add({.label = "a packed archive as creation writes it",
       .bytes = PackedWad({{"maps\\a.bin", "aaaa"}, {"b.txt", "bb"}, {"cars\\empty", ""}}),
       .recordsExamined = 3, .packed = true, .ordered = true});
  add({.label = "data in front of older data, as an update appends, is packed but not in order",
       .bytes = Wad(2, {RawRecord("old", kDir2 + 3, 2), RawRecord("new", kDir2, 3)}, "NNNoo"),
       .recordsExamined = 2, .packed = true});
  add({.label = "three bytes cannot hold a count", .bytes = std::string(3, '\0'), .headerComplete = false,
       .directoryFits = false});
  add({.label = "a negative count sizes nothing", .bytes = Wad(-1, {RawRecord("a", kDir1, 0)}),
       .directoryFits = false, .trailing = 136});
  add({.label = "a count in the billions examines only the records the file holds",
       .bytes = Wad(2147483647, {RawRecord("a", 0, 0)}, "xy"), .directoryFits = false, .recordsExamined = 1,
       .trailing = 2});
  add({.label = "a record cut short is not examined",
       .bytes = Wad(2, {RawRecord("a", kDir1, 0)}, std::string(100, '\0')), .directoryFits = false,
       .recordsExamined = 1, .trailing = 100});
  add({.label = "data past the end of the file",
       .bytes = Wad(2, {RawRecord("in", kDir2, 2), RawRecord("out", kDir2 + 1, 2)}, "ab"),
       .recordsExamined = 2, .outside = {1}});
  add({.label = "a negative offset and a negative size",
       .bytes = Wad(2, {RawRecord("neg-offset", -1, 1), RawRecord("neg-size", kDir2, -1)}, "a"),
       .recordsExamined = 2, .outside = {0, 1}, .trailing = 1});
  add({.label = "an empty entry reads nothing, wherever it points",
       .bytes = Wad(1, {RawRecord("empty", kDir1 + 1000, 0)}), .recordsExamined = 1, .packed = true,
       .ordered = true});
  add({.label = "an empty entry right at the end is fine",
       .bytes = Wad(1, {RawRecord("empty", kDir1, 0)}), .recordsExamined = 1, .packed = true, .ordered = true});
  add({.label = "data that reaches into the directory",
       .bytes = Wad(1, {RawRecord("head", 0, 8)}), .recordsExamined = 1, .intoDirectory = {0}});
  add({.label = "two entries on the same bytes overlap once",
       .bytes = Wad(2, {RawRecord("a", kDir2, 4), RawRecord("b", kDir2, 4)}, "dddd"),
       .recordsExamined = 2, .overlaps = {{1, 0}}});
  add({.label = "each entry overlaps the earlier one that reaches furthest",
       .bytes = Wad(3, {RawRecord("long", kDir2 + 136, 10), RawRecord("inside", kDir2 + 138, 2),
                        RawRecord("tail", kDir2 + 136 + 9, 1)},
                    std::string(10, 'x')),
       .recordsExamined = 3, .overlaps = {{1, 0}, {2, 0}}});
  add({.label = "touching entries do not overlap",
       .bytes = Wad(2, {RawRecord("b", kDir2 + 2, 2), RawRecord("a", kDir2, 2)}, "aabb"),
       .recordsExamined = 2, .packed = true});
  add({.label = "gaps between data and trailing bytes",
       .bytes = Wad(2, {RawRecord("a", kDir2 + 3, 2), RawRecord("b", kDir2 + 7, 1)}, "...aa..b!!"),
       .recordsExamined = 2, .gaps = {{kDir2, 3}, {kDir2 + 5, 2}}, .trailing = 2});
  add({.label = "names equal without regard to case, accented capitals included",
       .bytes = PackedWad({{"Maps\\A.bin", "1"}, {"maps\\a.BIN", "2"}, {"caf\xC9", "3"}, {"CAF\xE9", "4"},
                           {"maps\\a.bin", "5"}}),
       .recordsExamined = 5, .duplicates = {{1, 0}, {3, 2}, {4, 0}}, .packed = true, .ordered = true});
  add({.label = "names extraction refuses",
       .bytes = PackedWad({{"..\\evil", "1"}, {"\\root", "2"}, {"c:x", "3"}, {"", "4"}, {"fine\\name", "5"}}),
       .recordsExamined = 5, .unsafe = {0, 1, 2, 3}, .packed = true, .ordered = true});
  return cases;
}

class VerifyTable : public ::testing::TestWithParam<VerifyCase> {};

template <typename T, typename Key>
std::vector<Key> Collect(const std::vector<T>& items, Key (*key)(const T&)) {
  std::vector<Key> out;
  for (const T& item : items) out.push_back(key(item));
  return out;
}

TEST_P(VerifyTable, ReportsTheLayoutAndLeavesTheFileAlone) {
  const VerifyCase& c = GetParam();
  TempDir dir;
  test::WriteNativeFile(dir.Native("x.wad"), c.bytes);

  const WadVerifyReport r = VerifyWad(dir.Internal("x.wad"));

  EXPECT_EQ(test::ReadNativeFile(dir.Native("x.wad")), c.bytes);
  EXPECT_EQ(r.fileSize, static_cast<std::int64_t>(c.bytes.size()));
  EXPECT_EQ(r.headerComplete, c.headerComplete);
  EXPECT_EQ(r.directoryFits, c.directoryFits);
  EXPECT_EQ(r.recordsExamined, c.recordsExamined);
  EXPECT_EQ((Collect<WadRecordSpot, std::int32_t>(r.outsideFile, [](const WadRecordSpot& s) { return s.index; })),
            c.outside);
  EXPECT_EQ((Collect<WadRecordSpot, std::int32_t>(r.intoDirectory, [](const WadRecordSpot& s) { return s.index; })),
            c.intoDirectory);
  EXPECT_EQ((Collect<WadOverlap, std::pair<std::int32_t, std::int32_t>>(
                r.overlaps, [](const WadOverlap& o) { return std::make_pair(o.entry.index, o.other.index); })),
            c.overlaps);
  EXPECT_EQ((Collect<WadDuplicate, std::pair<std::int32_t, std::int32_t>>(
                r.duplicates, [](const WadDuplicate& d) { return std::make_pair(d.entry.index, d.first); })),
            c.duplicates);
  EXPECT_EQ((Collect<WadUnsafeName, std::int32_t>(r.unsafeNames,
                                                   [](const WadUnsafeName& u) { return u.entry.index; })),
            c.unsafe);
  EXPECT_EQ((Collect<WadByteRange, std::pair<std::int64_t, std::int64_t>>(
                r.gaps, [](const WadByteRange& g) { return std::make_pair(g.start, g.length); })),
            c.gaps);
  EXPECT_EQ(r.trailingBytes, c.trailing);
  EXPECT_EQ(r.packed, c.packed);
  EXPECT_EQ(r.packedInDirectoryOrder, c.ordered);
  for (const WadUnsafeName& u : r.unsafeNames) EXPECT_FALSE(u.reason.empty());
}

// The verdict must be the loader's: an archive verify calls readable loads, and
// one it does not is refused by the loader with a format error.
TEST_P(VerifyTable, ReadableExactlyWhenTheArchiveLoads) {
  const VerifyCase& c = GetParam();
  TempDir dir;
  test::WriteNativeFile(dir.Native("x.wad"), c.bytes);
  const bool readable = VerifyWad(dir.Internal("x.wad")).Readable();
  WadArchive wad;
  if (readable) {
    EXPECT_NO_THROW(LoadWadArchive(wad, dir.Internal("x.wad")));
  } else {
    EXPECT_THROW(LoadWadArchive(wad, dir.Internal("x.wad")), FormatError);
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, VerifyTable, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<VerifyCase>& info) {
                           return "case" + std::to_string(info.index);
                         });

TEST(VerifyWad, NamesTheEntriesItReports) {
  TempDir dir;
  test::WriteNativeFile(dir.Native("x.wad"),
                        Wad(2, {RawRecord("maps\\a.bin", kDir2, 4), RawRecord("MAPS\\A.BIN", kDir2 + 1, 9)}, "dddd"));
  const WadVerifyReport r = VerifyWad(dir.Internal("x.wad"));
  ASSERT_EQ(r.outsideFile.size(), 1u);
  EXPECT_EQ(r.outsideFile[0].name, "MAPS\\A.BIN");
  EXPECT_EQ(r.outsideFile[0].offset, kDir2 + 1);
  EXPECT_EQ(r.outsideFile[0].size, 9);
  ASSERT_EQ(r.duplicates.size(), 1u);
  EXPECT_EQ(r.duplicates[0].entry.name, "MAPS\\A.BIN");
}

TEST(VerifyWad, AMissingArchiveIsAFileError) {
  TempDir dir;
  try {
    VerifyWad(dir.Internal("none.wad"));
    FAIL() << "a missing archive was verified";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), 2);
  }
}

// A directory of many records is read in slices: duplicates and overlaps must
// still be found across the slice boundaries.
TEST(VerifyWad, FindsDuplicatesAcrossSlices) {
  std::vector<test::TestEntry> entries;
  for (int i = 0; i < 10000; ++i) entries.push_back({"e" + std::to_string(i), "x"});
  entries.push_back({"E42", "y"});
  TempDir dir;
  test::WriteNativeFile(dir.Native("big.wad"), PackedWad(entries));
  const WadVerifyReport r = VerifyWad(dir.Internal("big.wad"));
  EXPECT_TRUE(r.Readable());
  EXPECT_TRUE(r.packedInDirectoryOrder);
  ASSERT_EQ(r.duplicates.size(), 1u);
  EXPECT_EQ(r.duplicates[0].entry.index, 10000);
  EXPECT_EQ(r.duplicates[0].first, 42);
}

}  // namespace
}  // namespace skarvel
