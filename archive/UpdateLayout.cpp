#include "archive/UpdateLayout.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace skarvel {
namespace {

// Far beyond any offset the format can hold, and far enough from the limits of
// the type that the moves of one update cannot carry it back into range.
constexpr std::int64_t kInfinity = std::int64_t{1} << 62;

}  // namespace

UpdateLayout::Node UpdateLayout::LeafNode(std::int64_t offset, std::int64_t size) {
  const bool data = size > 0;
  return Node{offset, offset, data ? offset : kInfinity, data ? offset + size : -kInfinity, 0};
}

UpdateLayout::Node UpdateLayout::EmptyNode() { return Node{-kInfinity, kInfinity, kInfinity, -kInfinity, 0}; }

void UpdateLayout::Apply(Node& node, std::int64_t delta) {
  node.maxOffset += delta;
  node.minOffset += delta;
  node.minDataOffset += delta;
  node.maxDataEnd += delta;
  node.pending += delta;
}

void UpdateLayout::Pull(std::size_t node) {
  const Node& left = tree_[2 * node];
  const Node& right = tree_[2 * node + 1];
  Node& parent = tree_[node];
  parent.maxOffset = std::max(left.maxOffset, right.maxOffset);
  parent.minOffset = std::min(left.minOffset, right.minOffset);
  parent.minDataOffset = std::min(left.minDataOffset, right.minDataOffset);
  parent.maxDataEnd = std::max(left.maxDataEnd, right.maxDataEnd);
  parent.pending = 0;
}

void UpdateLayout::Push(std::size_t node) {
  const std::int64_t delta = tree_[node].pending;
  if (delta == 0) return;
  Apply(tree_[2 * node], delta);
  Apply(tree_[2 * node + 1], delta);
  tree_[node].pending = 0;
}

UpdateLayout::UpdateLayout(const std::vector<WadDirEntry>& entries, std::int32_t count, std::size_t maxAppends) {
  const std::size_t n = std::min(entries.size(), static_cast<std::size_t>(std::max(count, 0)));
  sizes_.resize(n);
  std::vector<std::int64_t> offsets(n);
  for (std::size_t i = 0; i < n; ++i) {
    offsets[i] = entries[i].Offset;
    sizes_[i] = entries[i].Size;
  }

  // Leaves in offset order; the positions in front are kept free for appends,
  // whose data always comes before all older data.
  std::vector<std::int32_t> byOffset(n);
  std::iota(byOffset.begin(), byOffset.end(), 0);
  // At one offset the empty records come first, in directory order: the data
  // that starts there follows them, which is the order FillShared moves them in.
  std::stable_sort(byOffset.begin(), byOffset.end(), [&](std::int32_t a, std::int32_t b) {
    if (offsets[a] != offsets[b]) return offsets[a] < offsets[b];
    return sizes_[a] == 0 && sizes_[b] != 0;
  });
  leaves_ = maxAppends + n;
  firstUsed_ = maxAppends;
  std::vector<std::int32_t> indexAt(leaves_, -1);
  positionOf_.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    indexAt[maxAppends + k] = byOffset[k];
    positionOf_[static_cast<std::size_t>(byOffset[k])] = static_cast<std::int32_t>(maxAppends + k);
  }
  if (leaves_ == 0) {
    ordered_ = false;  // nothing to order; the literal pass over nothing is free
    return;
  }
  // Halving [lo, hi) at its middle gives a tree no deeper than that of the next
  // power of two, whose nodes number twice that power.
  tree_.assign(2 * std::bit_ceil(leaves_), EmptyNode());
  Build(1, 0, leaves_, offsets, indexAt);
}

void UpdateLayout::Build(std::size_t node, std::size_t lo, std::size_t hi, const std::vector<std::int64_t>& offsets,
                         const std::vector<std::int32_t>& indexAt) {
  if (hi - lo == 1) {
    const std::int32_t index = indexAt[lo];
    tree_[node] = index < 0 ? EmptyNode() : LeafNode(offsets[index], sizes_[index]);
    return;
  }
  const std::size_t mid = lo + (hi - lo) / 2;
  Build(2 * node, lo, mid, offsets, indexAt);
  Build(2 * node + 1, mid, hi, offsets, indexAt);
  Pull(node);
}

void UpdateLayout::SetLeaf(std::size_t node, std::size_t lo, std::size_t hi, std::size_t position,
                           std::int64_t offset, std::int64_t size) {
  if (hi - lo == 1) {
    tree_[node] = LeafNode(offset, size);
    return;
  }
  Push(node);
  const std::size_t mid = lo + (hi - lo) / 2;
  if (position < mid) {
    SetLeaf(2 * node, lo, mid, position, offset, size);
  } else {
    SetLeaf(2 * node + 1, mid, hi, position, offset, size);
  }
  Pull(node);
}

void UpdateLayout::AddRange(std::size_t node, std::size_t lo, std::size_t hi, std::size_t from, std::int64_t delta) {
  if (hi <= from) return;
  if (lo >= from) {
    Apply(tree_[node], delta);
    return;
  }
  Push(node);
  const std::size_t mid = lo + (hi - lo) / 2;
  AddRange(2 * node, lo, mid, from, delta);
  AddRange(2 * node + 1, mid, hi, from, delta);
  Pull(node);
}

std::int64_t UpdateLayout::OffsetAt(std::size_t node, std::size_t lo, std::size_t hi, std::size_t position) const {
  std::int64_t above = 0;  // moves that the ancestors hold back from their children
  while (hi - lo > 1) {
    above += tree_[node].pending;
    const std::size_t mid = lo + (hi - lo) / 2;
    if (position < mid) {
      node = 2 * node, hi = mid;
    } else {
      node = 2 * node + 1, lo = mid;
    }
  }
  return tree_[node].maxOffset + above;
}

std::size_t UpdateLayout::FirstAbove(std::size_t node, std::size_t lo, std::size_t hi, std::int64_t bound) const {
  if (tree_[node].maxOffset <= bound) return leaves_;
  std::int64_t above = 0;
  while (hi - lo > 1) {
    above += tree_[node].pending;
    const std::size_t mid = lo + (hi - lo) / 2;
    if (tree_[2 * node].maxOffset + above > bound) {
      node = 2 * node, hi = mid;
    } else {
      node = 2 * node + 1, lo = mid;
    }
  }
  return lo;
}

void UpdateLayout::Collect(std::size_t node, std::size_t lo, std::size_t hi, std::int64_t pending,
                           std::vector<std::int64_t>& offsets) const {
  if (tree_[node].maxOffset + pending < -kInfinity / 2) return;  // only free positions below
  if (hi - lo == 1) {
    offsets[lo] = tree_[node].maxOffset + pending;
    return;
  }
  const std::size_t mid = lo + (hi - lo) / 2;
  Collect(2 * node, lo, mid, pending + tree_[node].pending, offsets);
  Collect(2 * node + 1, mid, hi, pending + tree_[node].pending, offsets);
}

void UpdateLayout::Unorder() {
  offsets_.assign(sizes_.size(), 0);
  if (ordered_) {
    std::vector<std::int64_t> atPosition(leaves_, 0);
    Collect(1, 0, leaves_, 0, atPosition);
    for (std::size_t i = 0; i < sizes_.size(); ++i) offsets_[i] = atPosition[static_cast<std::size_t>(positionOf_[i])];
  }
  ordered_ = false;
  tree_.clear();
  positionOf_.clear();
}

std::int64_t UpdateLayout::OffsetOf(std::int32_t index) const {
  const auto i = static_cast<std::size_t>(index);
  return ordered_ ? OffsetAt(1, 0, leaves_, static_cast<std::size_t>(positionOf_[i])) : offsets_[i];
}

bool UpdateLayout::SharesOffset(std::int32_t index, std::int64_t offset) const {
  if (!ordered_) {
    for (std::size_t k = 0; k < offsets_.size(); ++k) {
      if (k != static_cast<std::size_t>(index) && offsets_[k] == offset) return true;
    }
    return false;
  }
  // Equal offsets stand next to each other in the tree's order.
  const auto position = static_cast<std::size_t>(positionOf_[static_cast<std::size_t>(index)]);
  return (position > 0 && OffsetAt(1, 0, leaves_, position - 1) == offset) ||
         (position + 1 < leaves_ && OffsetAt(1, 0, leaves_, position + 1) == offset);
}

void UpdateLayout::Replace(std::int32_t index, std::int64_t newSize) {
  const auto i = static_cast<std::size_t>(index);
  const std::int64_t delta = newSize - sizes_[i];
  if (delta == 0) return;  // nothing moves, and the record keeps its size
  const std::int64_t offset = OffsetOf(index);
  if (sizes_[i] == 0 && SharesOffset(index, offset)) {
    FillShared(index, newSize, offset);
    return;
  }
  if (ordered_) {
    const std::size_t from = FirstAbove(1, 0, leaves_, offset);
    // The nearest entry above must not fall below the replaced one, or the
    // offset order that the tree relies on would break.
    if (delta < 0 && from < leaves_ && OffsetAt(1, 0, leaves_, from) + delta < offset) {
      Unorder();
    } else {
      sizes_[i] = newSize;
      const auto position = static_cast<std::size_t>(positionOf_[i]);
      SetLeaf(1, 0, leaves_, position, offset, newSize);
      if (delta != 0 && from < leaves_) AddRange(1, 0, leaves_, from, delta);
      return;
    }
  }
  sizes_[i] = newSize;
  for (std::int64_t& other : offsets_) {
    if (other > offset) other += delta;
  }
}

// An empty entry shares its offset with the entry whose data follows it (the
// creation places an empty file so). When it gets bytes, the entries at that
// offset that hold data, and the empty ones after it in the directory, move with
// the rest: left in place, their data and the new bytes would land on the same
// place and the rewrite would keep only one of them. Rare, so a pass over the
// directory; the tree stays in use when the entries that move still follow the
// ones that stay, as they do in every archive the program makes.
void UpdateLayout::FillShared(std::int32_t index, std::int64_t newSize, std::int64_t offset) {
  const auto i = static_cast<std::size_t>(index);
  const std::int64_t delta = newSize;  // the entry held nothing
  auto moves = [&](std::size_t k, std::int64_t at) {
    return at > offset || (at == offset && k != i && (sizes_[k] > 0 || k > i));
  };
  if (ordered_) {
    std::vector<std::int64_t> atPosition(leaves_, 0);
    Collect(1, 0, leaves_, 0, atPosition);
    std::size_t firstMoving = leaves_;
    std::size_t lastStaying = 0;
    for (std::size_t k = 0; k < sizes_.size(); ++k) {
      const auto position = static_cast<std::size_t>(positionOf_[k]);
      if (moves(k, atPosition[position])) {
        firstMoving = std::min(firstMoving, position);
      } else {
        lastStaying = std::max(lastStaying, position);
      }
    }
    if (lastStaying < firstMoving) {  // record index itself always stays
      sizes_[i] = newSize;
      SetLeaf(1, 0, leaves_, static_cast<std::size_t>(positionOf_[i]), offset, newSize);
      if (firstMoving < leaves_) AddRange(1, 0, leaves_, firstMoving, delta);
      return;
    }
    Unorder();
  }
  sizes_[i] = newSize;
  for (std::size_t k = 0; k < offsets_.size(); ++k) {
    if (moves(k, offsets_[k])) offsets_[k] += delta;
  }
}

std::int32_t UpdateLayout::DataCovering(std::int32_t index) const {
  const std::int64_t offset = OffsetOf(index);
  for (std::int32_t k = 0; k < Count(); ++k) {
    if (k == index || SizeOf(k) == 0) continue;
    const std::int64_t start = OffsetOf(k);
    if (start <= offset && offset < start + SizeOf(k)) return k;
  }
  return -1;
}

std::int32_t UpdateLayout::Append(std::int64_t size) {
  const std::int64_t move = size + kWadRecordSize;
  const auto index = static_cast<std::int32_t>(sizes_.size());
  const std::int64_t offset = kWadHeaderSize + kWadRecordSize * (std::int64_t{index} + 1);
  // The new data goes in front of all older data only when every older entry,
  // once moved, still lies at or after it.
  if (ordered_ && (firstUsed_ == 0 || (firstUsed_ < leaves_ && LowestOffset() + move < offset))) Unorder();
  if (ordered_) {
    if (firstUsed_ < leaves_) AddRange(1, 0, leaves_, firstUsed_, move);
    --firstUsed_;
    SetLeaf(1, 0, leaves_, firstUsed_, offset, size);
    positionOf_.push_back(static_cast<std::int32_t>(firstUsed_));
  } else {
    for (std::int64_t& other : offsets_) other += move;
    offsets_.push_back(offset);
  }
  sizes_.push_back(size);
  return index;
}

std::int64_t UpdateLayout::DirectoryEnd() const {
  return kWadHeaderSize + kWadRecordSize * static_cast<std::int64_t>(sizes_.size());
}

std::int64_t UpdateLayout::HighestOffset() const {
  if (sizes_.empty()) return 0;
  if (ordered_) return tree_[1].maxOffset;
  return *std::max_element(offsets_.begin(), offsets_.end());
}

std::int64_t UpdateLayout::LowestOffset() const {
  if (sizes_.empty()) return 0;
  if (ordered_) return tree_[1].minOffset;
  return *std::min_element(offsets_.begin(), offsets_.end());
}

std::int64_t UpdateLayout::LowestDataOffset() const {
  std::int64_t lowest = kInfinity;
  if (ordered_) {
    lowest = tree_[1].minDataOffset;
  } else {
    for (std::size_t i = 0; i < offsets_.size(); ++i) {
      if (sizes_[i] > 0) lowest = std::min(lowest, offsets_[i]);
    }
  }
  return lowest >= kInfinity / 2 ? DirectoryEnd() : lowest;
}

std::int64_t UpdateLayout::HighestDataEnd() const {
  std::int64_t highest = -kInfinity;
  if (ordered_) {
    highest = tree_[1].maxDataEnd;
  } else {
    for (std::size_t i = 0; i < offsets_.size(); ++i) {
      if (sizes_[i] > 0) highest = std::max(highest, offsets_[i] + sizes_[i]);
    }
  }
  return highest <= -kInfinity / 2 ? 0 : highest;
}

std::int64_t UpdateLayout::Length() const { return std::max(DirectoryEnd(), HighestDataEnd()); }

void UpdateLayout::Store(std::vector<WadDirEntry>& entries) const {
  std::vector<std::int64_t> offsets = offsets_;
  if (ordered_) {
    std::vector<std::int64_t> atPosition(leaves_, 0);
    Collect(1, 0, leaves_, 0, atPosition);
    offsets.resize(sizes_.size());
    for (std::size_t i = 0; i < sizes_.size(); ++i) offsets[i] = atPosition[static_cast<std::size_t>(positionOf_[i])];
  }
  for (std::size_t i = 0; i < sizes_.size(); ++i) {
    entries[i].Offset = static_cast<std::int32_t>(offsets[i]);
    entries[i].Size = static_cast<std::int32_t>(sizes_[i]);
  }
}

}  // namespace skarvel
