#pragma once
// The filters of the file dialogs, written as the program writes them:
// "description|pattern;pattern|description|pattern...", and the default
// extension, read the same way by every front end.
#include <string>
#include <string_view>
#include <vector>

namespace skarvel::ui {

struct FilterEntry {
  std::string description;            // as written, blanks around it removed
  std::vector<std::string> patterns;  // each trimmed; never empty
};

// One entry per description and pattern-list pair; a description without any
// pattern is dropped.
std::vector<FilterEntry> ParseFilter(std::string_view filter);

// "*.wad" -> "wad": the suffix a dialog appends to a name typed without one;
// empty when the extension names none ("", "*.*").
std::string DefaultSuffix(std::string_view defaultExtension);

}  // namespace skarvel::ui
