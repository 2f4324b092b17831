#include "ui/win32/GameFolderDialog.h"

namespace skarvel::ui::win32 {

GameFolderDialog::GameFolderDialog(HWND owner) : FolderDialog("Manual Path Entry", 257, 306, owner) {
  HWND form = Window().Handle();
  label1_.Create(form, "Please Choose your GP4 Folder :", {16, 8, 156, 13});
  CreateTree(form, {16, 32, 225, 233}, false);
  CreateOk(form, {168, 272, 73, 25});
}

GameFolderDialog::~GameFolderDialog() { Window().Destroy(); }

}  // namespace skarvel::ui::win32
