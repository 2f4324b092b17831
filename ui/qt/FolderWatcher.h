#pragma once
// The automatic refresh of a folder tree: it watches the selected folder (the
// top item's at first; not the folders below it) and, when the folders in it
// change on disk, reads the selected item and the items below it again.
#include <QFileSystemWatcher>
#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

namespace skarvel::ui::qt {

class FolderTree;

class FolderWatcher : public QObject {
  Q_OBJECT

 public:
  explicit FolderWatcher(FolderTree& tree);

  // Whether a refresh is waiting for the program to be idle.
  bool RefreshPending() const { return pending_.isActive(); }

 private:
  void WatchSelected();
  void RefreshWhenIdle();

  FolderTree& tree_;
  QFileSystemWatcher watcher_;
  QPersistentModelIndex watched_;
  QString watchedPath_;
  QTimer pending_;
};

}  // namespace skarvel::ui::qt
