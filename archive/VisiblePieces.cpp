#include "archive/VisiblePieces.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>

namespace skarvel {
namespace {

std::int64_t StartOf(const WadDirEntry& entry) { return entry.Offset; }
std::int64_t EndOf(const WadDirEntry& entry) { return std::int64_t{entry.Offset} + entry.Size; }

// Entries whose regions share bytes, taken from the last in the directory to the
// first: each gives the bytes that no later entry has covered yet.
void AddSharedRegion(const std::vector<WadDirEntry>& entries, std::vector<std::size_t> members,
                     std::vector<DataPiece>& pieces) {
  std::sort(members.begin(), members.end(), std::greater<>());
  std::map<std::int64_t, std::int64_t> covered;  // start -> end, disjoint
  const auto firstPiece = static_cast<std::ptrdiff_t>(pieces.size());
  for (const std::size_t i : members) {
    const std::int64_t start = StartOf(entries[i]), end = EndOf(entries[i]);
    auto it = covered.upper_bound(start);
    if (it != covered.begin() && std::prev(it)->second > start) --it;
    std::int64_t cursor = start, mergedStart = start, mergedEnd = end;
    while (it != covered.end() && it->first < end) {
      if (it->first > cursor) pieces.push_back({cursor, i, cursor - start, it->first - cursor});
      cursor = std::max(cursor, it->second);
      mergedStart = std::min(mergedStart, it->first);
      mergedEnd = std::max(mergedEnd, it->second);
      it = covered.erase(it);
    }
    if (cursor < end) pieces.push_back({cursor, i, cursor - start, end - cursor});
    covered.emplace(mergedStart, mergedEnd);
  }
  std::sort(pieces.begin() + firstPiece, pieces.end(),
            [](const DataPiece& a, const DataPiece& b) { return a.position < b.position; });
}

}  // namespace

std::vector<DataPiece> VisiblePieces(const std::vector<WadDirEntry>& entries, std::size_t count) {
  std::vector<std::size_t> order;
  order.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (entries[i].Size > 0) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return entries[a].Offset < entries[b].Offset; });

  // Regions in file order, each the entries that touch each other's bytes; an
  // entry alone in its region is one piece, as in every archive the program makes.
  std::vector<DataPiece> pieces;
  pieces.reserve(order.size());
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first + 1;
    std::int64_t regionEnd = EndOf(entries[order[first]]);
    while (last < order.size() && StartOf(entries[order[last]]) < regionEnd) {
      regionEnd = std::max(regionEnd, EndOf(entries[order[last]]));
      ++last;
    }
    if (last - first == 1) {
      const WadDirEntry& entry = entries[order[first]];
      pieces.push_back({StartOf(entry), order[first], 0, entry.Size});
    } else {
      AddSharedRegion(entries, {order.begin() + static_cast<std::ptrdiff_t>(first),
                                order.begin() + static_cast<std::ptrdiff_t>(last)},
                      pieces);
    }
    first = last;
  }
  return pieces;
}

}  // namespace skarvel
