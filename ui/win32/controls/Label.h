#pragma once
// A one-line text that is no tab stop. It is as wide as its text in the font
// at hand, never narrower than its place.
#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

class Label : public Control {
 public:
  void Create(HWND parent, const std::string& text, const Rect& place);
};

// The width of text in the program's font at a scale, at 96 dots per inch.
int TextWidth(const std::string& text, int dpi);

}  // namespace skarvel::ui::win32
