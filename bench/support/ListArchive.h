#pragma once
// The archive that the window-listing benchmarks list: names in no particular
// order, in folders as a game's archives have them, a few bytes each.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "archive/WadArchive.h"

namespace skarvel::bench {

inline void WriteListArchive(const std::string& path, int entries) {
  WadArchive wad;
  wad.Count = entries;
  wad.Entries.resize(static_cast<std::size_t>(entries));
  wad.Payloads.resize(static_cast<std::size_t>(entries));
  std::vector<int> order(static_cast<std::size_t>(entries));
  for (int i = 0; i < entries; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(4));
  const char* folders[] = {"cars\\", "maps\\monza2001\\", "maps\\Silverstone2001\\textures\\", "", "Sounds\\"};
  std::int32_t offset = 4 + 136 * entries;
  for (int i = 0; i < entries; ++i) {
    const std::string name = std::string(folders[order[i] % 5]) + (order[i] % 3 == 0 ? "Tex" : "tex") +
                             std::to_string(order[i]) + ".tex";
    std::copy(name.begin(), name.end(), wad.Entries[i].Name);
    wad.Payloads[i] = std::string(16, static_cast<char>('a' + i % 26));
    wad.Entries[i].Offset = offset;
    wad.Entries[i].Size = 16;
    offset += 16;
  }
  RebuildWad(wad, path, entries);
}

}  // namespace skarvel::bench
