#include "ui/win32/ContentsView.h"

#include "host/Errors.h"
#include "ui/ContentsRows.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

struct Column {
  const char* caption;
  int format;
};
constexpr Column kColumns[] = {{"File Name", LVCFMT_LEFT}, {"Path", LVCFMT_LEFT}, {"Size", LVCFMT_RIGHT}};

}  // namespace

void ContentsView::Create(HWND parent, const Rect& place) {
  CreateChild(WC_LISTVIEWA, "",
              WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                  LVS_NOSORTHEADER,
              WS_EX_CLIENTEDGE, parent, place);
  SendMessageA(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const int dpi = DpiOf(Handle());
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[i].format;
    column.cx = Scaled(kColumnWidths[i], dpi);
    column.pszText = const_cast<char*>(kColumns[i].caption);
    column.iSubItem = i;
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  HWND header = reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
  SetWindowSubclass(header, HeaderProcedure, 1, 0);
  // The list lays its header out again with the height set below.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

// The header is as high as the layout says, whatever the font would ask for.
LRESULT CALLBACK ContentsView::HeaderProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR) {
  if (message == HDM_LAYOUT) {
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
    layout->pwpos->cy = Scaled(kHeaderHeight, DpiOf(hwnd));
    layout->prc->top = layout->pwpos->y + layout->pwpos->cy;
    return result;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, HeaderProcedure, 1);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The columns keep the widths the user gave them, at the new scale.
void ContentsView::Rescale(int oldDpi, int dpi) {
  Control::Rescale(oldDpi, dpi);
  for (int i = 0; i < 3; ++i) {
    const int width = static_cast<int>(SendMessageA(Handle(), LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, i, MulDiv(width, dpi, oldDpi));
  }
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void ContentsView::SetRows(std::vector<std::string> rows) {
  SortRows(rows);
  SelectRow(-1);
  rows_ = std::move(rows);
  SendMessageA(Handle(), LVM_SETITEMCOUNT, rows_.size(), 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

int ContentsView::SelectedRow() const {
  return static_cast<int>(SendMessageA(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ContentsView::SelectRow(int row) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (row < 0) {
    SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    return;
  }
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageA(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

std::string ContentsView::SelectedRowField(int k) const {
  const int row = SelectedRow();
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) throw ListIndexError(-1);
  return FieldOf(rows_[static_cast<std::size_t>(row)], k);
}

bool ContentsView::OnNotification(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
      if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return true;
      const std::size_t row = static_cast<std::size_t>(item.iItem);
      const std::string field = row < rows_.size() ? FieldOf(rows_[row], item.iSubItem) : std::string();
      lstrcpynA(item.pszText, field.c_str(), item.cchTextMax);
      result = 0;
      return true;
    }
    case NM_DBLCLK:
      // The empty part below the rows names no entry to extract.
      if (reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem >= 0) RunHandler(onDoubleClick);
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace skarvel::ui::win32
