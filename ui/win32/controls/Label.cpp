#include "ui/win32/controls/Label.h"

#include <algorithm>

namespace skarvel::ui::win32 {

int TextWidth(const std::string& text, int dpi) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, ProgramFont(dpi));
  SIZE size{};
  GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return Unscaled(size.cx, dpi);
}

void Label::Create(HWND parent, const std::string& text, const Rect& place) {
  Rect fitted = place;
  fitted.width = std::max(place.width, TextWidth(text, DpiOf(parent)));
  CreateChild("STATIC", text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, parent, fitted);
}

}  // namespace skarvel::ui::win32
