#pragma once
// Where every entry's data lies while an update replaces and appends entries, in
// 64-bit arithmetic so that a change too large for the format is seen before it
// is made instead of after the 32-bit fields have wrapped.
//
// A replacement moves every entry whose offset is greater than the replaced
// entry's by the change in size; an append moves every earlier entry by the new
// size plus one record. Done literally that costs a pass over the directory per
// source file. As long as those moves keep the entries in offset order (they do
// for every archive whose data does not reach into the directory or overlap),
// each move is an addition to a run of entries in offset order, which a segment
// tree does in logarithmic time. When a move would break the order, the layout
// goes over to the literal pass for the rest of the archive.
#include <cstdint>
#include <vector>

#include "archive/WadArchive.h"

namespace skarvel {

class UpdateLayout {
 public:
  // The first count records of entries, with room for up to maxAppends appends.
  UpdateLayout(const std::vector<WadDirEntry>& entries, std::int32_t count, std::size_t maxAppends);

  std::int32_t Count() const { return static_cast<std::int32_t>(sizes_.size()); }
  std::int64_t OffsetOf(std::int32_t index) const;
  std::int64_t SizeOf(std::int32_t index) const { return sizes_[static_cast<std::size_t>(index)]; }

  // Record index gets newSize bytes; entries whose offset is greater than its
  // offset move by the change. When an empty record gets bytes, the records at
  // its offset that hold data, and the empty ones after it in the directory,
  // move too.
  void Replace(std::int32_t index, std::int64_t newSize);
  // The lowest other record whose data holds the byte at record index's offset,
  // or -1. A pass over the directory: meant for the rare empty record that gets
  // bytes while pointing into the middle of another record's data.
  std::int32_t DataCovering(std::int32_t index) const;
  // A new record of size bytes whose data lies directly after the enlarged
  // directory; every earlier record moves by size plus one record. Returns its index.
  std::int32_t Append(std::int64_t size);

  // The end of the directory: 4 + 136 x count.
  std::int64_t DirectoryEnd() const;
  // The largest and smallest offset of any record (0 when there is none).
  std::int64_t HighestOffset() const;
  std::int64_t LowestOffset() const;
  // The smallest offset of a record that holds data, and the largest end of such
  // data (DirectoryEnd() and 0 when no record holds data).
  std::int64_t LowestDataOffset() const;
  std::int64_t HighestDataEnd() const;
  // The length of the file the layout makes: the directory or the furthest data.
  std::int64_t Length() const;

  // Writes the offsets and sizes into the first Count() records of entries, which
  // must hold that many. Values must fit (see the limits checked by the update).
  void Store(std::vector<WadDirEntry>& entries) const;

  // True while the moves are done on the tree; false once the layout has gone
  // over to the literal pass (for tests).
  bool Ordered() const { return ordered_; }

 private:
  struct Node {
    std::int64_t maxOffset, minOffset, minDataOffset, maxDataEnd, pending;
  };

  void Build(std::size_t node, std::size_t lo, std::size_t hi, const std::vector<std::int64_t>& offsets,
             const std::vector<std::int32_t>& indexAt);
  void SetLeaf(std::size_t node, std::size_t lo, std::size_t hi, std::size_t position, std::int64_t offset,
               std::int64_t size);
  void AddRange(std::size_t node, std::size_t lo, std::size_t hi, std::size_t from, std::int64_t delta);
  std::int64_t OffsetAt(std::size_t node, std::size_t lo, std::size_t hi, std::size_t position) const;
  // The first position at or after from whose offset is greater than bound, or leaves_.
  std::size_t FirstAbove(std::size_t node, std::size_t lo, std::size_t hi, std::int64_t bound) const;
  void Collect(std::size_t node, std::size_t lo, std::size_t hi, std::int64_t pending,
               std::vector<std::int64_t>& offsets) const;
  void Pull(std::size_t node);
  void Push(std::size_t node);
  static void Apply(Node& node, std::int64_t delta);
  static Node LeafNode(std::int64_t offset, std::int64_t size);
  static Node EmptyNode();

  // Leaves the tree for the literal pass, offsets indexed by record.
  void Unorder();
  // Whether another record has this offset (record index's own).
  bool SharesOffset(std::int32_t index, std::int64_t offset) const;
  // Replace for an empty record that shares its offset with others.
  void FillShared(std::int32_t index, std::int64_t newSize, std::int64_t offset);

  std::vector<std::int64_t> sizes_;      // by record index
  std::vector<std::int32_t> positionOf_;  // record index -> leaf position (tree mode)
  std::size_t leaves_ = 0;
  std::size_t firstUsed_ = 0;  // appends take the positions just before it
  std::vector<Node> tree_;
  bool ordered_ = true;
  std::vector<std::int64_t> offsets_;  // by record index (literal mode)
};

}  // namespace skarvel
