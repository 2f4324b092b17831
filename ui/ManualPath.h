#pragma once
// The game-folder dialog: a folder that holds the game's program becomes the
// game folder, and the main window initialises itself again.
#include "ui/FolderDialogView.h"
#include "ui/WadUnit.h"

namespace skarvel::ui {

class TForm5 {
 public:
  TForm5(TForm1& mainWindow, FolderDialogView& view) : main_(mainWindow), view_(view) {}

  // OK: a selected folder holding "GP4.exe" is written to the game's key and the
  // main window runs FormCreate again; any other changes nothing. The dialog
  // closes in both cases.
  void Button1Click();

 private:
  TForm1& main_;
  FolderDialogView& view_;
};

}  // namespace skarvel::ui
