#pragma once
// The folder tree of both folder dialogs (ShellTreeView1): folders only, under
// one top item "Desktop" that is selected and expanded one level when the tree
// is built; a right click opens a menu for the folder under the mouse, and a
// folder's label can be edited in place to rename it on disk.
#include <QTreeView>

#include "ui/qt/FolderModel.h"

namespace skarvel::ui::qt {

class FolderTree : public QTreeView {
  Q_OBJECT

 public:
  explicit FolderTree(QWidget* parent = nullptr);

  FolderModel& Folders() { return model_; }
  // The selected folder's full path without a trailing "/" (the root stays
  // "/"); empty when nothing is selected.
  QString SelectedFolder() const;
  bool IsEditingLabel() const { return state() == QAbstractItemView::EditingState; }

  // Reads the item's subfolders again (see FolderModel::Refresh); the view keeps
  // its expanded items, its selection and where it is scrolled to.
  void RefreshItem(const QModelIndex& index);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ResolveVisibleItems();
  void ShowRefusal(const QString& text);
  void StartNewFolder(const QModelIndex& parent);

  FolderModel model_;
};

}  // namespace skarvel::ui::qt
