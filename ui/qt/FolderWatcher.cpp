#include "ui/qt/FolderWatcher.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QThread>

#include "ui/qt/FolderTree.h"

namespace skarvel::ui::qt {
namespace {

// A burst of changes (a copy of many folders) becomes one refresh.
constexpr int kSettleMilliseconds = 150;

// Inside a handler of the program: it runs a modal dialog or a message box
// (a nested event loop), or a popup menu is open.
bool InsideHandler() {
  return QThread::currentThread()->loopLevel() > 1 || QApplication::activeModalWidget() != nullptr ||
         QApplication::activePopupWidget() != nullptr;
}

}  // namespace

FolderWatcher::FolderWatcher(FolderTree& tree) : QObject(&tree), tree_(tree) {
  pending_.setSingleShot(true);
  pending_.setInterval(kSettleMilliseconds);
  // The system's notification only starts the timer: the refresh itself runs
  // from the user-interface thread's event loop, between events.
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &pending_, qOverload<>(&QTimer::start));
  connect(&pending_, &QTimer::timeout, this, &FolderWatcher::RefreshWhenIdle);
  connect(tree.selectionModel(), &QItemSelectionModel::selectionChanged, this, &FolderWatcher::WatchSelected);
  // A rename moves the watched folder, or one above it.
  connect(&tree.Folders(), &QAbstractItemModel::dataChanged, this, &FolderWatcher::WatchSelected);
  WatchSelected();
}

void FolderWatcher::WatchSelected() {
  const QModelIndexList selected = tree_.selectionModel()->selectedIndexes();
  const QPersistentModelIndex item = selected.isEmpty() ? QModelIndex() : selected.first();
  const QString path = tree_.Folders().FolderPath(item);
  if (item == watched_ && path == watchedPath_) return;
  if (!watchedPath_.isEmpty()) watcher_.removePath(watchedPath_);
  watched_ = item;
  watchedPath_ = path;
  if (!path.isEmpty()) watcher_.addPath(path);
}

void FolderWatcher::RefreshWhenIdle() {
  if (InsideHandler() || tree_.IsEditingLabel()) {
    pending_.start();  // again once the handler, the menu or the edit is done
    return;
  }
  if (watched_.isValid()) tree_.RefreshItem(watched_);
}

}  // namespace skarvel::ui::qt
