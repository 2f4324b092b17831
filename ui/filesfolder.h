#pragma once
// The source-folder dialog: the chosen folder becomes the source edit's text and
// its files the shared source list.
#include "ui/FolderDialogView.h"
#include "ui/WadUnit.h"

namespace skarvel::ui {

class TForm2 {
 public:
  TForm2(TForm1& mainWindow, FolderDialogView& view) : main_(mainWindow), view_(view) {}

  // OK: empties the source list, closes the dialog, lists every file below the
  // selected folder into the source list and puts the folder into the source edit.
  void OKClick();

 private:
  TForm1& main_;
  FolderDialogView& view_;
};

}  // namespace skarvel::ui
