#include "ui/win32/controls/ReportList.h"

#include "host/platform/win32/CodePage.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {

void RescaleColumns(HWND list, int count, int oldDpi, int dpi) {
  for (int i = 0; i < count; ++i) {
    const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, i, MulDiv(width, dpi, oldDpi));
  }
}

void ReportList::Create(HWND parent, const Rect& place, std::vector<Column> columns) {
  columns_ = std::move(columns);
  CreateChild(WC_LISTVIEWA, "",
              WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
              WS_EX_CLIENTEDGE, parent, place);
  SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const int dpi = DpiOf(Handle());
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = Scaled(columns_[i].width, dpi);
    column.pszText = const_cast<char*>(columns_[i].caption);
    column.iSubItem = static_cast<int>(i);
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

void ReportList::SetRows(const std::vector<std::vector<std::string>>& rows) {
  // The list's own notifications while it fills are no user's choice.
  filling_ = true;
  SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t column = 0; column < rows[row].size() && column < columns_.size(); ++column) {
      std::wstring text = WideFromProgramText(rows[row][column]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(row);
      item.iSubItem = static_cast<int>(column);
      item.pszText = text.data();
      SendMessageW(Handle(), column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
  }
  filling_ = false;
}

int ReportList::SelectedRow() const {
  return static_cast<int>(SendMessageA(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ReportList::SelectRow(int row) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = row < 0 ? 0 : LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  if (row >= 0) SendMessageA(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

bool ReportList::OnNotification(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->code != LVN_ITEMCHANGED) return false;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
  if (!filling_ && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) != 0) RunHandler(onSelect);
  result = 0;
  return true;
}

void ReportList::Rescale(int oldDpi, int dpi) {
  Control::Rescale(oldDpi, dpi);
  RescaleColumns(Handle(), static_cast<int>(columns_.size()), oldDpi, dpi);
}

}  // namespace skarvel::ui::win32
