#include "ui/qt/FolderTree.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QUrl>

#include "ui/ApplicationTitle.h"

namespace skarvel::ui::qt {

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent) {
  setObjectName("ShellTreeView1");
  setAccessibleName("Folders");
  setHeaderHidden(true);
  setRootIsDecorated(false);  // the top item has no line or expand button of its own
  setIndentation(19);
  setUniformRowHeights(true);  // a folder of many thousands lays out without measuring each row
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  setBackgroundRole(QPalette::Base);
  setModel(&model_);
  // A failed rename comes from inside the editor's commit: the box waits until
  // the editor is gone.
  connect(&model_, &FolderModel::OperationRefused, this, &FolderTree::ShowRefusal, Qt::QueuedConnection);

  // Read now rather than at the view's first layout, so that the tree is
  // complete as soon as it exists.
  const QModelIndex top = model_.TopIndex();
  model_.fetchMore(top);
  expand(top);
  setCurrentIndex(top);
}

QString FolderTree::SelectedFolder() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? QString() : model_.FolderPath(selected.first());
}

void FolderTree::RefreshItem(const QModelIndex& index) {
  const int scrolledTo = verticalScrollBar()->value();
  model_.Refresh(index);
  verticalScrollBar()->setValue(scrolledTo);
}

void FolderTree::paintEvent(QPaintEvent* event) {
  ResolveVisibleItems();
  QTreeView::paintEvent(event);
}

// Before the rows are drawn, the ones in sight learn whether they have
// subfolders, so that no expand button is drawn for a folder without any.
void FolderTree::ResolveVisibleItems() {
  const int bottom = viewport()->height();
  for (QModelIndex index = indexAt(QPoint(0, 0)); index.isValid() && visualRect(index).top() < bottom;
       index = indexBelow(index)) {
    model_.ResolveHasChildren(index);
  }
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event) {
  const QModelIndex index = event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
  if (!index.isValid()) return;
  setCurrentIndex(index);
  const QPersistentModelIndex item(index);
  const QString folder = model_.FolderPath(index);

  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* rename = menu->addAction("&Rename", this, [this, item] {
    if (item.isValid()) edit(item);
  });
  rename->setEnabled(model_.flags(index) & Qt::ItemIsEditable);
  menu->addAction("&New folder", this, [this, item] {
    if (item.isValid()) StartNewFolder(item);
  });
  menu->addSeparator();
  menu->addAction("&Open in the file manager", this,
                  [folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
  menu->addAction("&Copy the path", this, [folder] { QGuiApplication::clipboard()->setText(folder); });
  menu->popup(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                          : viewport()->mapToGlobal(visualRect(index).center()));
}

void FolderTree::StartNewFolder(const QModelIndex& parent) {
  const QModelIndex created = model_.CreateFolder(parent);
  if (!created.isValid()) return;
  expand(parent);
  setCurrentIndex(created);
  scrollTo(created);
  edit(created);
}

void FolderTree::ShowRefusal(const QString& text) {
  // Not modal to the whole program and not waited for: the dialogs are modeless.
  auto* box = new QMessageBox(QMessageBox::Warning, kApplicationTitle, text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

}  // namespace skarvel::ui::qt
