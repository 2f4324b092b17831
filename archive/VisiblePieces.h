#pragma once
// Which bytes of which entry end up where in a rewritten archive. Where data
// regions share bytes, the entry later in the directory wins; the pieces say so
// once, so that a rewrite puts every byte of the new file down once, however
// many entries claim it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/WadArchive.h"

namespace skarvel {

// size bytes of record entry, from byte from of its data on, at position in the file.
struct DataPiece {
  std::int64_t position = 0;
  std::size_t entry = 0;
  std::int64_t from = 0;
  std::int64_t size = 0;

  bool operator==(const DataPiece&) const = default;
};

// The pieces of the first count records that hold data (offsets and sizes not
// negative), in file order and disjoint; an entry that no later entry touches
// is one piece.
std::vector<DataPiece> VisiblePieces(const std::vector<WadDirEntry>& entries, std::size_t count);

}  // namespace skarvel
