#include "archive/VisiblePieces.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace skarvel {
namespace {

WadDirEntry At(std::int32_t offset, std::int32_t size) {
  WadDirEntry entry{};
  entry.Offset = offset;
  entry.Size = size;
  return entry;
}

struct PiecesCase {
  const char* label;
  std::vector<WadDirEntry> entries;
  std::vector<DataPiece> pieces;
};

TEST(VisiblePiecesTest, EachByteComesOnceFromTheLastEntryThatHoldsIt) {
  std::vector<WadDirEntry> shared(40, At(1000, 1000));
  const PiecesCase cases[] = {
      {"packed", {At(100, 5), At(105, 3)}, {{100, 0, 0, 5}, {105, 1, 0, 3}}},
      {"in reverse order, with an empty entry", {At(200, 4), At(150, 0), At(100, 5)}, {{100, 2, 0, 5}, {200, 0, 0, 4}}},
      {"forty entries on one block", shared, {{1000, 39, 0, 1000}}},
      {"later entry further on", {At(100, 10), At(105, 10)}, {{100, 0, 0, 5}, {105, 1, 0, 10}}},
      {"later entry inside an earlier one", {At(100, 10), At(102, 3)}, {{100, 0, 0, 2}, {102, 1, 0, 3}, {105, 0, 5, 5}}},
      {"earlier entry inside a later one", {At(102, 3), At(100, 10)}, {{100, 1, 0, 10}}},
      {"a bridge over two", {At(100, 4), At(110, 4), At(102, 10)}, {{100, 0, 0, 2}, {102, 2, 0, 10}, {112, 1, 2, 2}}},
  };
  for (const PiecesCase& c : cases) {
    EXPECT_EQ(VisiblePieces(c.entries, c.entries.size()), c.pieces) << c.label;
  }
}

// Random layouts against the plain painting of every entry in directory order.
TEST(VisiblePiecesTest, MatchesThePaintingOfRandomLayouts) {
  std::mt19937 random(13);
  for (int round = 0; round < 300; ++round) {
    std::vector<WadDirEntry> entries;
    const auto count = random() % 30;
    for (unsigned i = 0; i < count; ++i) {
      entries.push_back(At(static_cast<std::int32_t>(random() % 200), static_cast<std::int32_t>(random() % 40)));
    }
    std::map<std::int64_t, std::size_t> painted;  // byte -> the entry whose byte shows
    for (std::size_t i = 0; i < entries.size(); ++i) {
      for (std::int64_t b = entries[i].Offset; b < entries[i].Offset + std::int64_t{entries[i].Size}; ++b) painted[b] = i;
    }
    std::map<std::int64_t, std::size_t> pieced;
    std::int64_t previousEnd = -1;
    for (const DataPiece& piece : VisiblePieces(entries, entries.size())) {
      ASSERT_GT(piece.size, 0);
      ASSERT_GE(piece.position, previousEnd) << "pieces in file order, disjoint";
      ASSERT_EQ(piece.from, piece.position - entries[piece.entry].Offset);
      for (std::int64_t b = piece.position; b < piece.position + piece.size; ++b) pieced[b] = piece.entry;
      previousEnd = piece.position + piece.size;
    }
    ASSERT_EQ(pieced, painted) << "round " << round;
  }
}

}  // namespace
}  // namespace skarvel
