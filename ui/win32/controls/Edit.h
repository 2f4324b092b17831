#pragma once
// A one-line text edit. onChange runs on every change of its text, typed or set
// by the program; setting the text it already holds changes nothing and runs
// nothing.
#include <functional>

#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

class Edit : public Control {
 public:
  void Create(HWND parent, const Rect& place);
  void SetText(const std::string& text);

  bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  std::function<void()> onChange;
};

}  // namespace skarvel::ui::win32
