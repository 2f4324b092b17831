#pragma once
// A push button, optionally carrying a glyph strip, optionally its form's
// default button.
#include <functional>

#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

class Button : public Control {
 public:
  void Create(HWND parent, const std::string& caption, const Rect& place, bool isDefault = false);
  // A strip of four 16x16 images side by side (up, disabled, clicked, down),
  // a 32-bit bitmap with alpha; shown left of the caption, the image matching
  // the button's state. The button keeps the images; the caller keeps strip.
  void SetGlyphStrip(HBITMAP strip);
  // Presses the button as a click does.
  void Click();

  bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  ~Button() override;

  std::function<void()> onClick;

 private:
  HIMAGELIST glyphs_ = nullptr;
};

}  // namespace skarvel::ui::win32
