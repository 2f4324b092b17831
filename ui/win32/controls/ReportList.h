#pragma once
// A list view in report mode that holds its rows itself: columns of fixed
// captions, rows of texts, one selected row at most, the whole row selected.
#include <functional>
#include <string>
#include <vector>

#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

// A list view's first count columns take the widths they had at the new scale.
void RescaleColumns(HWND list, int count, int oldDpi, int dpi);

class ReportList : public Control {
 public:
  struct Column {
    const char* caption;
    int width;  // at 96 dots per inch
  };
  void Create(HWND parent, const Rect& place, std::vector<Column> columns);

  // The rows, each a text per column; none is selected.
  void SetRows(const std::vector<std::vector<std::string>>& rows);
  // The selected row's position, -1 when none is.
  int SelectedRow() const;
  void SelectRow(int row);

  bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void Rescale(int oldDpi, int dpi) override;

  // Another row was selected, or the selection was cleared.
  std::function<void()> onSelect;

 private:
  std::vector<Column> columns_;
  bool filling_ = false;
};

}  // namespace skarvel::ui::win32
