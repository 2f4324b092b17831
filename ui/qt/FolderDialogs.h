#pragma once
// The two folder dialogs as the main window's program creates and shows them.
#include <QDialog>

namespace skarvel::ui {
class TForm1;
}

namespace skarvel::ui::qt {

// The source-folder dialog "Select Files..." (its OK runs TForm2::OKClick) and
// the game-folder dialog "Manual Path Entry" (TForm5::Button1Click), created
// hidden. They live as long as their parent.
QDialog* CreateSourceFolderDialog(TForm1& mainWindow, QWidget* parent);
QDialog* CreateGameFolderDialog(TForm1& mainWindow, QWidget* parent);

// Shows a hidden dialog centred on the screen; a dialog already shown is only
// brought to the front. Returns at once: the dialogs are modeless.
void ShowFolderDialog(QDialog* dialog);

}  // namespace skarvel::ui::qt
