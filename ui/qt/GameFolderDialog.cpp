#include "ui/qt/GameFolderDialog.h"

#include <QLabel>

namespace skarvel::ui::qt {

GameFolderDialog::GameFolderDialog(QWidget* parent) : FolderDialog("Manual Path Entry", "Button1", parent) {
  auto* label = new QLabel("Please Choose your GP4 Folder :", this);
  label->setObjectName("Label1");
  label->setGeometry(16, 8, 156, 13);
  Tree().setGeometry(16, 32, 225, 233);
  Ok().setGeometry(168, 272, 73, 25);
  resize(257, 306);  // the client area
}

}  // namespace skarvel::ui::qt
