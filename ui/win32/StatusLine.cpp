#include "ui/win32/StatusLine.h"

#include <algorithm>

namespace skarvel::ui::win32 {

void StatusLine::Create(HWND parent, const Rect& place) {
  CreateOwn("SkarvelStatusLine", "", WS_CHILD | WS_VISIBLE, 0, parent, 0, 0, 0, 0);
  Place(place);
}

RECT StatusLine::Inner() const {
  RECT inner{};
  GetClientRect(Handle(), &inner);
  InflateRect(&inner, -1, -1);  // the lowered bevel
  return inner;
}

int StatusLine::FilledWidth() const {
  const RECT inner = Inner();
  return std::max(0, static_cast<int>(inner.right - inner.left)) * position_ / 100;
}

void StatusLine::SetCaption(const std::string& text) {
  caption_ = text;
  SetText(text);
  Repaint();
}

void StatusLine::SetPosition(std::uint8_t percent) {
  const int position = std::min<int>(percent, 100);
  if (position == position_) return;
  position_ = position;
  Repaint();
}

void StatusLine::Repaint() {
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
}

void StatusLine::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
  const RECT inner = Inner();
  RECT filled = inner;
  filled.right = inner.left + FilledWidth();
  RECT rest = inner;
  rest.left = filled.right;
  HBRUSH fill = CreateSolidBrush(kFillColour);
  FillRect(dc, &filled, fill);
  DeleteObject(fill);
  FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, ProgramFont(DpiOf(Handle())));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT text = inner;
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

LRESULT StatusLine::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(Handle(), &paint);
      Paint(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    default:
      return OwnWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace skarvel::ui::win32
