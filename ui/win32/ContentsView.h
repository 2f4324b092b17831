#pragma once
// The contents list LMDFiles: a list view in report mode with the three columns
// "File Name", "Path" and "Size" under a header 17 high, one selected row, no
// grid. It is a virtual list: the rows stay here, sorted, and the list view
// asks for the texts of the rows it draws, so that 100,000 entries list at once.
// A header click does nothing; the column borders can be dragged. The list
// draws its rows itself, each field from x + 1 to x + w - 1 of its column.
#include <functional>
#include <string>
#include <vector>

#include "archive/ContentsList.h"
#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

class ContentsView : public Control, public ContentsList {
 public:
  static constexpr int kHeaderHeight = 17;
  static constexpr int kColumnWidths[] = {200, 120, 76};

  void Create(HWND parent, const Rect& place);

  // The texts in display order, internal form.
  const std::vector<std::string>& Rows() const { return rows_; }
  // The position of the selected row in display order, -1 when none is selected.
  int SelectedRow() const;
  // Selects the row at a display position (-1 clears the selection).
  void SelectRow(int row);

  // ContentsList
  void SetRows(std::vector<std::string> rows) override;
  std::string SelectedRowField(int k) const override;

  bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void Rescale(int oldDpi, int dpi) override;

  // A double-click anywhere on the rows.
  std::function<void()> onDoubleClick;
  // The list's menu asked for (right button, the menu key, Shift+F10), with
  // the point in screen coordinates where it opens.
  std::function<void(POINT)> onContextMenu;

 private:
  static LRESULT CALLBACK HeaderProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);

  void DrawRow(const DRAWITEMSTRUCT& item) const;

  std::vector<std::string> rows_;
};

}  // namespace skarvel::ui::win32
