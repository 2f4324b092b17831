#pragma once
// The order of the contents list, whatever toolkit draws it.
#include <string>
#include <vector>

namespace skarvel::ui {

// The rows in the list's order: by their whole text lower-cased, rows equal
// without regard to case by their bytes, so that the order never depends on the
// order they came in.
void SortRows(std::vector<std::string>& rows);

}  // namespace skarvel::ui
