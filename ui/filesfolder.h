#pragma once
// The source-folder dialog: the chosen folder becomes the source edit's text.
#include "ui/FolderDialogView.h"
#include "ui/WadUnit.h"

namespace skarvel::ui {

class TForm2 {
 public:
  TForm2(TForm1& mainWindow, FolderDialogView& view) : main_(mainWindow), view_(view) {}

  // OK: empties the source list, closes the dialog and puts the selected folder
  // into the source edit at once; its files are read when an operation uses it.
  void OKClick();

 private:
  TForm1& main_;
  FolderDialogView& view_;
};

}  // namespace skarvel::ui
