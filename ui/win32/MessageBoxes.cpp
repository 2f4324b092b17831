#include "ui/win32/MessageBoxes.h"

#include "host/platform/win32/CodePage.h"
#include "ui/ApplicationTitle.h"
#include "ui/win32/controls/Events.h"
#include "ui/win32/controls/Modality.h"

namespace skarvel::ui::win32 {
namespace {

int RunBox(HWND owner, const std::string& text, const char* title, UINT style) {
  BusyScope busy;
  owner = VisibleOwner(owner);
  ModalScope modal(owner);
  // Without an owner, task-modal: the box still holds every window of the program.
  // Converted by the program itself, so that the runtime's French reads right
  // whatever the system's code page.
  return MessageBoxW(owner, WideFromProgramText(text).c_str(), WideFromProgramText(title).c_str(),
                     style | MB_SETFOREGROUND | (owner == nullptr ? MB_TASKMODAL : 0));
}

// The runtime captions its buttons in French whatever the system's language:
// the box's buttons are renamed as the box is about to show.
HHOOK captionHook = nullptr;

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    auto box = reinterpret_cast<HWND>(wParam);
    SetDlgItemTextW(box, IDOK, L"&Oui");
    SetDlgItemTextW(box, IDCANCEL, L"Annuler");
    UnhookWindowsHookEx(captionHook);
    captionHook = nullptr;
    return 0;
  }
  return CallNextHookEx(captionHook, code, wParam, lParam);
}

}  // namespace

void ShowPlainBox(HWND owner, const std::string& text) { RunBox(owner, text, kApplicationTitle, MB_OK); }

void ShowErrorBox(HWND owner, const std::string& text) {
  RunBox(owner, text, kApplicationTitle, MB_OK | MB_ICONERROR);
}

bool ConfirmBox(HWND owner, const std::string& text) {
  // OK and Cancel, renamed: the system's box has no pair of Yes and Cancel, and
  // Cancel is what Escape and the close button give.
  captionHook = SetWindowsHookExA(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
  const int answer = RunBox(owner, text, "Confirmation", MB_OKCANCEL | MB_ICONQUESTION);
  if (captionHook != nullptr) {
    UnhookWindowsHookEx(captionHook);
    captionHook = nullptr;
  }
  return answer == IDOK;
}

void ShowApplicationErrorBox(HWND owner, const std::string& text) {
  RunBox(owner, text, "Erreur d'application", MB_OK | MB_ICONERROR);
}

}  // namespace skarvel::ui::win32
