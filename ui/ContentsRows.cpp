#include "ui/ContentsRows.h"

#include <algorithm>
#include <numeric>

#include "host/Encoding.h"

namespace skarvel::ui {

void SortRows(std::vector<std::string>& rows) {
  // Each row is lowered once, not at every comparison: an archive lists tens of
  // thousands of rows.
  std::vector<std::string> keys;
  keys.reserve(rows.size());
  for (const std::string& row : rows) keys.push_back(ToLowerCp1252(row));
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (const int byKey = keys[a].compare(keys[b]); byKey != 0) return byKey < 0;
    return rows[a] < rows[b];
  });
  std::vector<std::string> sorted;
  sorted.reserve(rows.size());
  for (std::size_t index : order) sorted.push_back(std::move(rows[index]));
  rows = std::move(sorted);
}

}  // namespace skarvel::ui
