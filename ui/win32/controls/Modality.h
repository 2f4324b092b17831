#pragma once
// The program's modal boxes and dialogs hold every window of the program, not
// only their owner: Windows disables the owner alone, so the folder dialogs
// (top-most windows owned by the main window) would stay live, and their OK
// could run inside the handler that shows the box.
#include <vector>

#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

// For its lifetime, the program's other visible windows (those of this thread
// but owner, which the box or dialog disables itself) are disabled; afterwards
// exactly those are enabled again.
class ModalScope {
 public:
  explicit ModalScope(HWND owner);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  std::vector<HWND> disabled_;
};

// The owner a modal box should have: none while the window is hidden or not yet
// shown (the installer's boxes, errors at start-up), so that the box has its own
// taskbar button and comes to the front instead of hiding behind other windows.
HWND VisibleOwner(HWND owner);

}  // namespace skarvel::ui::win32
