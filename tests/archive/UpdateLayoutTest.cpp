#include "archive/UpdateLayout.h"
#include "support/ParamName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace skarvel {
namespace {

WadDirEntry Record(std::int32_t offset, std::int32_t size) {
  WadDirEntry entry{};
  std::memset(entry.Name, 0, sizeof entry.Name);
  entry.Offset = offset;
  entry.Size = size;
  return entry;
}

// A packed archive's directory: the data of each record right after the previous
// one, in directory order, behind the directory.
std::vector<WadDirEntry> Packed(const std::vector<std::int32_t>& sizes) {
  std::vector<WadDirEntry> entries;
  std::int64_t offset = kWadHeaderSize + kWadRecordSize * static_cast<std::int64_t>(sizes.size());
  for (std::int32_t size : sizes) {
    entries.push_back(Record(static_cast<std::int32_t>(offset), size));
    offset += size;
  }
  return entries;
}

// The moves exactly as the update describes them, one pass per step: the model
// the layout must agree with.
struct LiteralLayout {
  std::vector<std::int64_t> offsets, sizes;
  bool filledShared = false;  // an empty entry that shared its offset got bytes

  explicit LiteralLayout(const std::vector<WadDirEntry>& entries) {
    for (const WadDirEntry& entry : entries) {
      offsets.push_back(entry.Offset);
      sizes.push_back(entry.Size);
    }
  }
  void Replace(std::size_t j, std::int64_t size) {
    const std::int64_t delta = size - sizes[j];
    const bool fillsEmpty = sizes[j] == 0 && size > 0;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
      if (fillsEmpty && k != j && offsets[k] == offsets[j]) filledShared = true;
    }
    sizes[j] = size;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
      // A filled empty entry pushes the data that starts where it points, and
      // the empty entries after it, ahead of its new bytes.
      const bool behind = fillsEmpty && k != j && offsets[k] == offsets[j] && (sizes[k] > 0 || k > j);
      if (offsets[k] > offsets[j] || behind) offsets[k] += delta;
    }
  }
  void Append(std::int64_t size) {
    for (std::int64_t& offset : offsets) offset += size + kWadRecordSize;
    offsets.push_back(kWadHeaderSize + kWadRecordSize * static_cast<std::int64_t>(offsets.size() + 1));
    sizes.push_back(size);
  }
};

void ExpectSame(const UpdateLayout& layout, const LiteralLayout& model, const std::string& when) {
  ASSERT_EQ(static_cast<std::size_t>(layout.Count()), model.offsets.size()) << when;
  std::int64_t highestEnd = 0, lowestData = layout.DirectoryEnd();
  bool anyData = false;
  for (std::size_t i = 0; i < model.offsets.size(); ++i) {
    ASSERT_EQ(layout.OffsetOf(static_cast<std::int32_t>(i)), model.offsets[i]) << when << ", record " << i;
    ASSERT_EQ(layout.SizeOf(static_cast<std::int32_t>(i)), model.sizes[i]) << when << ", record " << i;
    if (model.sizes[i] > 0) {
      highestEnd = std::max(highestEnd, model.offsets[i] + model.sizes[i]);
      lowestData = anyData ? std::min(lowestData, model.offsets[i]) : model.offsets[i];
      anyData = true;
    }
  }
  EXPECT_EQ(layout.HighestDataEnd(), highestEnd) << when;
  EXPECT_EQ(layout.LowestDataOffset(), lowestData) << when;
  EXPECT_EQ(layout.Length(), std::max(layout.DirectoryEnd(), highestEnd)) << when;
  if (!model.offsets.empty()) {
    EXPECT_EQ(layout.HighestOffset(), *std::max_element(model.offsets.begin(), model.offsets.end())) << when;
    EXPECT_EQ(layout.LowestOffset(), *std::min_element(model.offsets.begin(), model.offsets.end())) << when;
  }
}

TEST(UpdateLayoutTest, GrowthAndShrinkageMoveOnlyTheDataBehind) {
  // Directory order is not data order: record 0's data lies behind record 1's.
  const std::vector<WadDirEntry> entries = {Record(1000, 30), Record(900, 100), Record(800, 100)};
  struct Case {
    std::int64_t newSize;
    std::int64_t offsetOfRecord0;
  };
  for (const Case& c : {Case{150, 1050}, Case{40, 940}, Case{100, 1000}, Case{0, 900}}) {
    UpdateLayout layout(entries, 3, 0);
    layout.Replace(1, c.newSize);
    EXPECT_EQ(layout.OffsetOf(0), c.offsetOfRecord0) << c.newSize;
    EXPECT_EQ(layout.OffsetOf(1), 900) << "the replaced entry keeps its offset";
    EXPECT_EQ(layout.OffsetOf(2), 800) << "data in front does not move";
    EXPECT_EQ(layout.Length(), 1030 + c.offsetOfRecord0 - 1000);
  }
}

TEST(UpdateLayoutTest, AnAppendGoesBehindTheNewDirectoryAndMovesEveryOlderEntry) {
  const std::vector<WadDirEntry> entries = Packed({10, 20});
  UpdateLayout layout(entries, 2, 1);
  EXPECT_EQ(layout.Append(1000), 2);
  EXPECT_EQ(layout.OffsetOf(2), 412);
  EXPECT_EQ(layout.OffsetOf(0), entries[0].Offset + 1136);
  EXPECT_EQ(layout.OffsetOf(1), entries[1].Offset + 1136);
  EXPECT_EQ(layout.DirectoryEnd(), 412);
  EXPECT_EQ(layout.Length(), entries[1].Offset + 20 + 1136);
  EXPECT_TRUE(layout.Ordered());
}

TEST(UpdateLayoutTest, EntriesAtTheSameOffsetDoNotMoveWithEachOther) {
  // Two records sharing their data, as the format allows.
  const std::vector<WadDirEntry> entries = {Record(276, 8), Record(276, 8), Record(284, 4)};
  UpdateLayout layout(entries, 3, 0);
  layout.Replace(0, 20);
  EXPECT_EQ(layout.OffsetOf(1), 276);
  EXPECT_EQ(layout.OffsetOf(2), 296);
  layout.Replace(1, 8);  // its own size changed nothing: 8 -> 8
  EXPECT_EQ(layout.OffsetOf(2), 296);
}

TEST(UpdateLayoutTest, FillingAnEmptyEntryPushesTheDataAtItsOffsetAhead) {
  // As the creation packs two empty files before a file of 10 bytes: all three
  // at 548, right after the directory, followed by a file of 4 bytes.
  const std::vector<WadDirEntry> entries = {Record(548, 0), Record(548, 0), Record(548, 10), Record(558, 4)};
  UpdateLayout layout(entries, 4, 0);
  layout.Replace(1, 5);  // the second empty file gets 5 bytes
  EXPECT_EQ(layout.OffsetOf(0), 548) << "an empty entry before it stays";
  EXPECT_EQ(layout.OffsetOf(1), 548);
  EXPECT_EQ(layout.OffsetOf(2), 553);
  EXPECT_EQ(layout.OffsetOf(3), 563);
  layout.Replace(0, 3);  // then the first one gets 3
  EXPECT_EQ(layout.OffsetOf(0), 548);
  EXPECT_EQ(layout.OffsetOf(1), 551);
  EXPECT_EQ(layout.OffsetOf(2), 556);
  EXPECT_EQ(layout.OffsetOf(3), 566);
  EXPECT_TRUE(layout.Ordered()) << "the program's own layouts keep the fast moves";
  EXPECT_EQ(layout.DataCovering(0), -1);
  EXPECT_EQ(layout.Length(), 570);
}

TEST(UpdateLayoutTest, StoreWritesEveryOffsetAndSizeBack) {
  std::vector<WadDirEntry> entries = Packed({5, 6, 7});
  UpdateLayout layout(entries, 3, 2);
  layout.Replace(1, 16);
  layout.Append(3);
  entries.resize(4, Record(0, 0));
  layout.Store(entries);
  // Packed at 412, 417, 423; record 1 grows by 10, then everything moves by 3 + 136.
  EXPECT_EQ(entries[0].Offset, 551);
  EXPECT_EQ(entries[1].Offset, 556);
  EXPECT_EQ(entries[2].Offset, 572);
  EXPECT_EQ(entries[3].Offset, 548);
  EXPECT_EQ(entries[1].Size, 16);
  EXPECT_EQ(entries[3].Size, 3);
}

// Random runs of replacements and appends, on sound archives and on archives
// whose data overlaps or reaches into the directory, against the literal moves.
class UpdateLayoutModelTest : public ::testing::TestWithParam<int> {};

TEST_P(UpdateLayoutModelTest, AgreesWithTheLiteralMovesAfterEveryStep) {
  std::mt19937 random(static_cast<unsigned>(GetParam()));
  const bool damaged = GetParam() % 3 == 0;
  const int records = static_cast<int>(random() % 40);
  std::vector<std::int32_t> sizes;
  for (int i = 0; i < records; ++i) sizes.push_back(static_cast<std::int32_t>(random() % 5 == 0 ? 0 : random() % 300));
  std::vector<WadDirEntry> entries = Packed(sizes);
  std::shuffle(entries.begin(), entries.end(), random);  // data order differs from directory order
  if (damaged) {
    for (WadDirEntry& entry : entries) {
      if (random() % 4 == 0) entry.Offset = static_cast<std::int32_t>(random() % 600);  // overlaps, into the directory
    }
  }

  const int steps = 60;
  UpdateLayout layout(entries, static_cast<std::int32_t>(entries.size()), steps);
  LiteralLayout model(entries);
  ExpectSame(layout, model, "before any step");
  for (int step = 0; step < steps; ++step) {
    const std::int64_t size = random() % 4 == 0 ? 0 : random() % 400;
    if (model.sizes.empty() || random() % 4 == 0) {
      EXPECT_EQ(layout.Append(size), static_cast<std::int32_t>(model.sizes.size()));
      model.Append(size);
    } else {
      const std::size_t j = random() % model.sizes.size();
      layout.Replace(static_cast<std::int32_t>(j), size);
      model.Replace(j, size);
    }
    ExpectSame(layout, model, "after step " + std::to_string(step));
    if (HasFatalFailure()) return;
  }
  // Filling an empty entry among others at its offset may leave the tree when
  // the entries that move do not all follow the ones that stay.
  if (!damaged && !model.filledShared) {
    EXPECT_TRUE(layout.Ordered()) << "a sound archive keeps the fast moves throughout";
  }

  std::vector<WadDirEntry> stored(model.sizes.size(), Record(0, 0));
  layout.Store(stored);
  for (std::size_t i = 0; i < stored.size(); ++i) {
    EXPECT_EQ(stored[i].Offset, model.offsets[i]);
    EXPECT_EQ(stored[i].Size, model.sizes[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, UpdateLayoutModelTest, ::testing::Range(1, 61), test::PrintedParamName());

TEST(UpdateLayoutTest, AShrinkThatWouldReorderTheDataFallsBackToTheLiteralMoves) {
  // Record 1's data starts inside record 0's: shrinking record 0 moves record 1
  // in front of it.
  const std::vector<WadDirEntry> entries = {Record(276, 100), Record(300, 50)};
  UpdateLayout layout(entries, 2, 0);
  layout.Replace(0, 0);
  EXPECT_FALSE(layout.Ordered());
  EXPECT_EQ(layout.OffsetOf(1), 200);
  EXPECT_EQ(layout.LowestDataOffset(), 200);
}

}  // namespace
}  // namespace skarvel
