#include "ui/win32/shell/ShellContextMenu.h"

#include <shlwapi.h>

namespace skarvel::ui::win32 {
namespace {

constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

bool IsRenameVerb(IContextMenu& menu, UINT offset) {
  char verb[64] = "";
  if (FAILED(menu.GetCommandString(offset, GCS_VERBA, nullptr, verb, sizeof verb))) return false;
  return lstrcmpiA(verb, "rename") == 0;
}

// Clears the drawing interfaces when the menu closes, however Show leaves.
struct MenuSession {
  ComPtr<IContextMenu2>& drawing2;
  ComPtr<IContextMenu3>& drawing3;
  ~MenuSession() {
    drawing2.Reset();
    drawing3.Reset();
  }
};

}  // namespace

bool ShellContextMenu::Show(HWND owner, PCIDLIST_ABSOLUTE item, POINT screen) {
  PCUITEMID_CHILD last = nullptr;
  ComPtr<IShellFolder> parent = ParentOf(item, last);
  if (parent == nullptr) return false;
  ComPtr<IContextMenu> menu;
  if (FAILED(parent->GetUIObjectOf(owner, 1, &last, IID_IContextMenu, nullptr, &menu))) return false;

  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) return false;
  MenuSession session{drawing2_, drawing3_};
  menu.As(&drawing2_);
  menu.As(&drawing3_);
  UINT picked = 0;
  // Not CMF_EXPLORE, which Explorer's own tree passes: Wine then leaves out the
  // rename verb.
  if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_NORMAL | CMF_CANRENAME))) {
    picked = static_cast<UINT>(
        TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr));
  }
  DestroyMenu(popup);
  if (picked < kFirstCommand) return false;

  const UINT offset = picked - kFirstCommand;
  if (IsRenameVerb(*menu.Get(), offset)) return true;
  CMINVOKECOMMANDINFO command{};
  command.cbSize = sizeof command;
  command.hwnd = owner;
  command.lpVerb = MAKEINTRESOURCEA(offset);
  command.nShow = SW_SHOWNORMAL;
  menu->InvokeCommand(&command);
  return false;
}

bool ShellContextMenu::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITMENUPOPUP:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_MENUCHAR:
      break;
    default:
      return false;
  }
  if (drawing3_ != nullptr) return SUCCEEDED(drawing3_->HandleMenuMsg2(message, wParam, lParam, &result));
  if (drawing2_ != nullptr && message != WM_MENUCHAR) {
    result = message == WM_INITMENUPOPUP ? 0 : TRUE;
    return SUCCEEDED(drawing2_->HandleMenuMsg(message, wParam, lParam));
  }
  return false;
}

}  // namespace skarvel::ui::win32
