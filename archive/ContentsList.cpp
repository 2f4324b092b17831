#include "archive/ContentsList.h"

namespace skarvel {

std::string FieldOf(std::string_view text, int k) {
  if (k < 0) return {};
  std::size_t start = 0;
  for (int field = 0; field < k; ++field) {
    const std::size_t separator = text.find(';', start);
    if (separator == std::string_view::npos) return {};
    start = separator + 1;
  }
  const std::size_t end = text.find(';', start);
  return std::string(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

}  // namespace skarvel
