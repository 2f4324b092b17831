#include "ui/win32/controls/Edit.h"

#include "host/platform/win32/CodePage.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {

void Edit::Create(HWND parent, const Rect& place) {
  CreateChild("EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, place);
}

void Edit::SetText(const std::string& text) {
  // The system's edit reports a change for every text it is given.
  if (WideText() == WideFromProgramText(text)) return;
  Control::SetText(text);
}

bool Edit::OnNotification(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_COMMAND || HIWORD(wParam) != EN_CHANGE) return false;
  RunHandler(onChange);
  result = 0;
  return true;
}

}  // namespace skarvel::ui::win32
