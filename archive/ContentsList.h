#pragma once
// The contents list of the main window as the operations see it.
#include <string>
#include <string_view>
#include <vector>

namespace skarvel {

class ContentsList {
 public:
  virtual ~ContentsList() = default;
  // Replaces all rows; the list orders them for display. No rows empties it.
  virtual void SetRows(std::vector<std::string> rows) = 0;
  // Field k of the selected row; ListIndexError(-1) when no row is selected.
  virtual std::string SelectedRowField(int k) const = 0;
};

// Field k of a ";"-separated text: k = 0 the text before the first ";", k >= 1
// the text after the k-th ";" up to the next one; empty when there are fewer.
std::string FieldOf(std::string_view text, int k);

}  // namespace skarvel
