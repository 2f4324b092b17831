#pragma once
// The status line ProgressBar: a lowered bevel, the filled part in a solid blue
// growing from the left, the caption drawn over it, centred on one line. It
// draws itself at once whenever its caption or position changes, since the
// operations that write to it hold the event loop. Its window text is the
// caption, so a screen reader or a test reads it as any control's text.
#include <cstdint>
#include <string>

#include "archive/Workbench.h"
#include "ui/win32/controls/Container.h"

namespace skarvel::ui::win32 {

class StatusLine : public OwnWindow, public ProgressSink {
 public:
  static constexpr COLORREF kFillColour = RGB(105, 174, 231);

  void Create(HWND parent, const Rect& place);

  const std::string& Caption() const { return caption_; }
  int Position() const { return position_; }
  // The filled part's width in pixels: the inner width times the position,
  // divided by 100, the fraction dropped.
  int FilledWidth() const;

  // ProgressSink
  void SetCaption(const std::string& text) override;
  void SetPosition(std::uint8_t percent) override;
  void Repaint() override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc) const;
  RECT Inner() const;

  std::string caption_;
  int position_ = 0;
};

}  // namespace skarvel::ui::win32
