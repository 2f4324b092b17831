#pragma once
// The two folder dialogs as the main window creates and shows them.
#include <memory>

#include "ui/win32/FolderDialog.h"

namespace skarvel::ui {
class TForm1;
}

namespace skarvel::ui::win32 {

// The source-folder dialog "Select Files..." (its OK runs TForm2::OKClick) and
// the game-folder dialog "Manual Path Entry" (TForm5::Button1Click), created
// hidden, owned by owner (the main window). Destroy them before mainWindow.
std::unique_ptr<FolderDialog> CreateSourceFolderDialog(TForm1& mainWindow, HWND owner);
std::unique_ptr<FolderDialog> CreateGameFolderDialog(TForm1& mainWindow, HWND owner);

// Shows a hidden dialog centred on the screen; one already shown keeps its
// place and its selection. Either is brought to the front and activated.
// Returns at once: the dialogs are modeless.
void ShowFolderDialog(FolderDialog& dialog);

}  // namespace skarvel::ui::win32
