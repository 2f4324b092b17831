#include "ui/win32/OperationInput.h"

#include "host/platform/win32/Windows.h"

namespace skarvel::ui::win32 {

void BeginOperationInput() { SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT))); }

void EndOperationInput() {
  // Client and non-client mouse messages and the keyboard's, by their ranges:
  // paints, timers and posted work stay in the queue.
  struct Range {
    UINT first, last;
  };
  constexpr Range kInput[] = {{WM_KEYFIRST, WM_KEYLAST},
                              {WM_MOUSEFIRST, WM_MOUSELAST},
                              {WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK},
                              {WM_NCXBUTTONDOWN, WM_NCXBUTTONDBLCLK}};
  MSG message;
  for (const Range& range : kInput) {
    while (PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE)) {
    }
  }
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

}  // namespace skarvel::ui::win32
