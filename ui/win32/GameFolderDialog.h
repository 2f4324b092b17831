#pragma once
// The game-folder dialog "Manual Path Entry" (Form5): a label, the folder tree
// and OK at fixed places that do not follow a resize; no automatic refresh.
#include "ui/win32/FolderDialog.h"
#include "ui/win32/controls/Label.h"

namespace skarvel::ui::win32 {

class GameFolderDialog : public FolderDialog {
 public:
  explicit GameFolderDialog(HWND owner);
  ~GameFolderDialog() override;

 private:
  Label label1_;
};

}  // namespace skarvel::ui::win32
