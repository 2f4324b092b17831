#pragma once
// What both folder dialogs share: a modeless window that stays above the others
// and is hidden, not destroyed, when it closes; a folder tree; an OK button that
// is the default button, so that Enter presses it unless a folder's label is
// being edited. The dialog is the OK handlers' view of the tree.
#include <QDialog>
#include <QPushButton>

#include "ui/FolderDialogView.h"
#include "ui/qt/FolderTree.h"

namespace skarvel::ui::qt {

class FolderDialog : public QDialog, public FolderDialogView {
  Q_OBJECT

 public:
  FolderDialog(const QString& caption, const QString& okName, QWidget* parent);

  FolderTree& Tree() { return *tree_; }
  QPushButton& Ok() { return *ok_; }

  // FolderDialogView: the tree's value in internal form.
  std::string SelectedFolder() const override;
  void Close() override { hide(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  FolderTree* tree_;
  QPushButton* ok_;
};

}  // namespace skarvel::ui::qt
