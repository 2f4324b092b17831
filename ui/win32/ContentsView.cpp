#include "ui/win32/ContentsView.h"

#include "host/Errors.h"
#include "host/platform/win32/CodePage.h"
#include "ui/ContentsRows.h"
#include "ui/win32/controls/Events.h"
#include "ui/win32/controls/ReportList.h"

namespace skarvel::ui::win32 {
namespace {

struct Column {
  const char* caption;
  int format;
};
constexpr Column kColumns[] = {{"File Name", LVCFMT_LEFT}, {"Path", LVCFMT_LEFT}, {"Size", LVCFMT_RIGHT}};

// One field in its column: from x + 1 to x + w - 1, clipped, on one line, with
// the column's alignment; no padding and no ellipsis, which would hide the end
// of a long name.
void DrawField(HDC dc, const std::string& field, int left, int width, int format, const RECT& row) {
  RECT place{left + 1, row.top, left + width - 1, row.bottom};
  if (place.right <= place.left) return;
  const std::wstring text = WideFromAnsi(field);
  const UINT align = format == LVCFMT_RIGHT ? DT_RIGHT : DT_LEFT;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

void ContentsView::Create(HWND parent, const Rect& place) {
  CreateChild(WC_LISTVIEWA, "",
              WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_SINGLESEL |
                  LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
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
  RescaleColumns(Handle(), 3, oldDpi, dpi);
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void ContentsView::DrawRow(const DRAWITEMSTRUCT& item) const {
  const std::size_t row = item.itemID;
  if (row >= rows_.size()) return;
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = GetFocus() == Handle();
  // A selection shown while the list has no focus takes the button face, as
  // the list view's own drawing does.
  const int background = !selected ? COLOR_WINDOW : focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
  // The row's place as the list lays it out: Wine hands a rectangle moved 2
  // to the right, where Windows hands this one.
  RECT bounds{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(Handle(), LVM_GETITEMRECT, item.itemID, reinterpret_cast<LPARAM>(&bounds));
  bounds.top = item.rcItem.top;
  bounds.bottom = item.rcItem.bottom;
  FillRect(dc, &bounds, GetSysColorBrush(background));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Handle(), WM_GETFONT, 0, 0)));
  int left = bounds.left;
  for (int column = 0; column < 3; ++column) {
    const int width = static_cast<int>(SendMessageA(Handle(), LVM_GETCOLUMNWIDTH, column, 0));
    DrawField(dc, FieldOf(rows_[row], column), left, width, kColumns[column].format, bounds);
    left += width;
  }
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0 && focused) DrawFocusRect(dc, &bounds);
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
  if (message == WM_DRAWITEM) {
    DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  if (message == WM_CONTEXTMENU) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {
      // From the keyboard: below the selected row, or at the list's corner.
      RECT row{LVIR_BOUNDS, 0, 0, 0};
      const int selected = SelectedRow();
      at = selected >= 0 && SendMessageA(Handle(), LVM_GETITEMRECT, selected, reinterpret_cast<LPARAM>(&row))
               ? POINT{row.left, row.bottom}
               : POINT{0, 0};
      ClientToScreen(Handle(), &at);
    }
    if (onContextMenu) RunHandler([this, at] { onContextMenu(at); });
    result = 0;
    return true;
  }
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
