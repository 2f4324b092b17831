#include "ui/qt/GameFolderDialog.h"

#include <QLabel>
#include <algorithm>

namespace skarvel::ui::qt {

GameFolderDialog::GameFolderDialog(QWidget* parent) : FolderDialog("Manual Path Entry", "Button1", parent) {
  auto* label = new QLabel("Please Choose your GP4 Folder :", this);
  label->setObjectName("Label1");
  // A font wider than the one the layout was drawn with would cut the text off.
  const QSize text = label->sizeHint();
  label->setGeometry(16, 8, std::max(156, text.width()), std::max(13, text.height()));
  Tree().setGeometry(16, 32, 225, 233);
  Ok().setGeometry(168, 272, 73, 25);
  resize(257, 306);  // the client area
}

}  // namespace skarvel::ui::qt
