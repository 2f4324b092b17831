#pragma once
// A push button, optionally carrying a glyph strip, optionally its form's
// default button.
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

class Button : public Control {
 public:
  void Create(HWND parent, const std::string& caption, const Rect& place, bool isDefault = false);
  // A strip of four 16x16 images side by side (up, disabled, clicked, down),
  // a 32-bit bitmap with alpha; shown left of the caption, the image matching
  // the button's state, grown with the window's scale. The button keeps a copy;
  // the caller keeps strip.
  void SetGlyphStrip(HBITMAP strip);
  // Presses the button as a click does.
  void Click();

  bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void Rescale(int oldDpi, int dpi) override;
  ~Button() override;

  std::function<void()> onClick;

 private:
  void ShowGlyphs(int dpi);

  std::vector<std::uint32_t> strip_;  // the strip's pixels, BGRA
  HIMAGELIST glyphs_ = nullptr;
};

}  // namespace skarvel::ui::win32
