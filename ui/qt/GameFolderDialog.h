#pragma once
// The game-folder dialog "Manual Path Entry" (Form5): a label, the folder tree
// and OK at fixed places that do not follow a resize; no automatic refresh.
#include "ui/qt/FolderDialog.h"

namespace skarvel::ui::qt {

class GameFolderDialog : public FolderDialog {
  Q_OBJECT

 public:
  explicit GameFolderDialog(QWidget* parent);
};

}  // namespace skarvel::ui::qt
