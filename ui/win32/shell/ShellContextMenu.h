#pragma once
// The shell's own context menu of one item, as Explorer shows it: the shell
// fills it, and carries out what the user picks, except its rename verb, which
// the caller carries out by editing the item's label in place.
#include "ui/win32/shell/ShellNamespace.h"

namespace skarvel::ui::win32 {

class ShellContextMenu {
 public:
  // Opens the menu of item at a point of the screen, waits until it closes and
  // carries out the pick; true when the pick was the rename verb, which is left
  // to the caller. owner receives the menu's messages (hand them to
  // HandleMenuMessage).
  bool Show(HWND owner, PCIDLIST_ABSOLUTE item, POINT screen);

  // A message to the menu's owner while the menu is open: the shell draws and
  // fills its submenus ("Send to", "Open with") itself. True when handled.
  bool HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  ComPtr<IContextMenu2> drawing2_;
  ComPtr<IContextMenu3> drawing3_;
};

}  // namespace skarvel::ui::win32
