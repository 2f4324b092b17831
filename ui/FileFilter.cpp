#include "ui/FileFilter.h"

namespace skarvel::ui {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

std::vector<FilterEntry> ParseFilter(std::string_view filter) {
  const std::vector<std::string_view> parts = Split(filter, '|');
  std::vector<FilterEntry> entries;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    FilterEntry entry{std::string(Trimmed(parts[i])), {}};
    for (std::string_view pattern : Split(parts[i + 1], ';')) {
      if (!Trimmed(pattern).empty()) entry.patterns.emplace_back(Trimmed(pattern));
    }
    if (!entry.patterns.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

std::string DefaultSuffix(std::string_view defaultExtension) {
  std::string_view suffix = defaultExtension;
  if (suffix.starts_with('*')) suffix.remove_prefix(1);
  if (suffix.starts_with('.')) suffix.remove_prefix(1);
  return suffix.find('*') == std::string_view::npos ? std::string(suffix) : std::string();
}

}  // namespace skarvel::ui
