#include "ui/win32/FolderDialog.h"

namespace skarvel::ui::win32 {

FolderDialog::FolderDialog(const std::string& caption, int clientWidth, int clientHeight, HWND owner) {
  form_.CreateOwnedTool(caption, clientWidth, clientHeight, WS_EX_TOPMOST, owner);
}

FolderDialog::~FolderDialog() { form_.Destroy(); }

void FolderDialog::CreateTree(HWND parent, const Rect& place, bool autoRefresh) {
  tree_.Create(parent, place, autoRefresh);
}

void FolderDialog::CreateOk(HWND parent, const Rect& place) {
  ok_.Create(parent, "OK", place, true);
  form_.SetDefaultButton(ok_.Id());
}

void FolderDialog::Show() {
  HWND window = form_.Handle();
  if (!form_.IsVisible()) {
    tree_.StartWatching();
    form_.ShowCentred();
    // The first time: a form gives the focus back where it was afterwards.
    if (!IsChild(window, GetFocus())) SetFocus(tree_.View().Handle());
  }
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  SetActiveWindow(window);
}

void FolderDialog::Close() {
  form_.SetVisible(false);
  tree_.StopWatching();
}

}  // namespace skarvel::ui::win32
