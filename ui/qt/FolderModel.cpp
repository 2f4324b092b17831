#include "ui/qt/FolderModel.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QHash>
#include <QSet>
#include <QStyle>
#include <algorithm>

#include "ui/qt/FolderListing.h"
#include "ui/qt/FolderOperations.h"
#include "ui/qt/FolderPlaces.h"

namespace skarvel::ui::qt {
namespace {

enum class Kind { Desktop, Home, Root, Volume, WineDrive, Folder };

Kind KindOf(Place::Kind kind) {
  switch (kind) {
    case Place::Kind::Home: return Kind::Home;
    case Place::Kind::Root: return Kind::Root;
    case Place::Kind::Volume: return Kind::Volume;
    case Place::Kind::WineDrive: return Kind::WineDrive;
  }
  return Kind::Folder;
}

QString ChildPath(const QString& folder, const QString& name) {
  return folder == "/" ? "/" + name : folder + '/' + name;
}

}  // namespace

// A place and the top item know their absolute path; a plain folder only its
// name, so that renaming it renames every path below it at once.
struct FolderModel::Node {
  Kind kind = Kind::Folder;
  QString name;
  QString absolutePath;
  Node* parent = nullptr;
  int row = 0;
  std::vector<std::unique_ptr<Node>> children;
  bool childrenRead = false;
  int hasSubfolders = -1;  // -1 until resolved: finding out reads the disk

  // Two readings of a folder name the same child by this.
  QString Key() const { return kind == Kind::Folder ? "folder:" + name : "place:" + absolutePath; }
};

struct FolderModel::ChildSpec {
  Kind kind;
  QString name;
  QString absolutePath;
  QString Key() const { return kind == Kind::Folder ? "folder:" + name : "place:" + absolutePath; }
};

FolderModel::FolderModel(QObject* parent) : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {
  QFileIconProvider provider;
  icons_[int(Kind::Desktop)] = provider.icon(QFileIconProvider::Desktop);
  icons_[int(Kind::Home)] = QApplication::style()->standardIcon(QStyle::SP_DirHomeIcon);
  icons_[int(Kind::Root)] = provider.icon(QFileIconProvider::Computer);
  icons_[int(Kind::Volume)] = provider.icon(QFileIconProvider::Drive);
  icons_[int(Kind::WineDrive)] = provider.icon(QFileIconProvider::Drive);
  icons_[int(Kind::Folder)] = provider.icon(QFileIconProvider::Folder);

  auto top = std::make_unique<Node>();
  top->kind = Kind::Desktop;
  top->name = "Desktop";
  top->absolutePath = DesktopFolder();
  top->parent = root_.get();
  root_->children.push_back(std::move(top));
  root_->childrenRead = true;
}

FolderModel::~FolderModel() = default;

QModelIndex FolderModel::TopIndex() const { return index(0, 0); }

QString FolderModel::FolderPath(const QModelIndex& index) const {
  return index.isValid() ? PathOf(NodeOf(index)) : QString();
}

FolderModel::Node* FolderModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderModel::IndexOf(const Node* node) const {
  return node == root_.get() ? QModelIndex() : createIndex(node->row, 0, const_cast<Node*>(node));
}

QString FolderModel::PathOf(const Node* node) const {
  return node->absolutePath.isEmpty() ? ChildPath(PathOf(node->parent), node->name) : node->absolutePath;
}

std::vector<FolderModel::ChildSpec> FolderModel::ReadChildren(const Node* node) const {
  std::vector<ChildSpec> specs;
  if (node->kind == Kind::Desktop) {
    for (const Place& place : FolderPlaces()) specs.push_back({KindOf(place.kind), place.label, place.path});
  }
  for (QString& name : ListSubfolders(PathOf(node))) specs.push_back({Kind::Folder, std::move(name), {}});
  return specs;
}

void FolderModel::InsertChildren(Node* parent, int row, std::vector<ChildSpec> specs) {
  if (specs.empty()) return;
  beginInsertRows(IndexOf(parent), row, row + int(specs.size()) - 1);
  std::vector<std::unique_ptr<Node>> nodes;
  nodes.reserve(specs.size());
  for (ChildSpec& found : specs) {
    auto node = std::make_unique<Node>();
    node->kind = found.kind;
    node->name = std::move(found.name);
    node->absolutePath = std::move(found.absolutePath);
    node->parent = parent;
    nodes.push_back(std::move(node));
  }
  parent->children.insert(parent->children.begin() + row, std::make_move_iterator(nodes.begin()),
                          std::make_move_iterator(nodes.end()));
  Renumber(parent, row);
  endInsertRows();
}

void FolderModel::Renumber(Node* parent, int from) {
  for (int row = from; row < int(parent->children.size()); ++row) parent->children[row]->row = row;
}

void FolderModel::Refresh(const QModelIndex& index) {
  if (index.isValid()) RefreshNode(NodeOf(index));
}

void FolderModel::RefreshNode(Node* node) {
  const QModelIndex parentIndex = IndexOf(node);
  if (!node->childrenRead) {
    node->hasSubfolders = -1;
    emit dataChanged(parentIndex, parentIndex);  // the view asks again whether to draw an expand button
    return;
  }
  SyncChildren(node, parentIndex);
  // Children that were never expanded forget whether they have subfolders, in
  // one change for the view rather than one per row.
  int first = -1;
  int last = -1;
  for (const auto& child : node->children) {
    if (child->childrenRead) {
      RefreshNode(child.get());
    } else if (child->hasSubfolders >= 0) {
      child->hasSubfolders = -1;
      if (first < 0) first = child->row;
      last = child->row;
    }
  }
  if (first >= 0) emit dataChanged(index(first, 0, parentIndex), index(last, 0, parentIndex));
}

// Brings the children in line with the disk by removing, moving and inserting
// rows, never by a reset, so that views keep what they show.
void FolderModel::SyncChildren(Node* node, const QModelIndex& parentIndex) {
  std::vector<ChildSpec> specs = ReadChildren(node);
  QSet<QString> wanted;
  for (const ChildSpec& found : specs) wanted.insert(found.Key());

  auto& children = node->children;
  for (int last = int(children.size()) - 1; last >= 0;) {
    if (wanted.contains(children[last]->Key())) {
      --last;
      continue;
    }
    int first = last;
    while (first > 0 && !wanted.contains(children[first - 1]->Key())) --first;
    beginRemoveRows(parentIndex, first, last);
    children.erase(children.begin() + first, children.begin() + last + 1);
    Renumber(node, first);
    endRemoveRows();
    last = first - 1;
  }

  QHash<QString, Node*> present;
  for (const auto& child : children) present.insert(child->Key(), child.get());
  for (int i = 0; i < int(specs.size());) {
    Node* existing = present.value(specs[i].Key());
    if (existing == nullptr) {
      int end = i + 1;
      while (end < int(specs.size()) && !present.contains(specs[end].Key())) ++end;
      InsertChildren(node, i, {std::make_move_iterator(specs.begin() + i), std::make_move_iterator(specs.begin() + end)});
      i = end;
      continue;
    }
    if (existing->row != i) {
      const int from = existing->row;
      beginMoveRows(parentIndex, from, from, parentIndex, i);
      std::unique_ptr<Node> moved = std::move(children[from]);
      children.erase(children.begin() + from);
      children.insert(children.begin() + i, std::move(moved));
      Renumber(node, std::min(from, i));
      endMoveRows();
    }
    ++i;
  }
}

QModelIndex FolderModel::CreateFolder(const QModelIndex& parent) {
  if (!parent.isValid()) return {};
  if (canFetchMore(parent)) fetchMore(parent);
  Node* node = NodeOf(parent);
  QString name;
  const QString refusal = MakeNewFolder(PathOf(node), name);
  if (!refusal.isEmpty()) {
    emit OperationRefused(refusal);
    return {};
  }
  SyncChildren(node, parent);
  for (const auto& child : node->children) {
    if (child->kind == Kind::Folder && child->name == name) return IndexOf(child.get());
  }
  return {};
}

int FolderModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return int(NodeOf(parent)->children.size());
}

int FolderModel::columnCount(const QModelIndex&) const { return 1; }

QModelIndex FolderModel::index(int row, int column, const QModelIndex& parent) const {
  const Node* node = NodeOf(parent);
  if (column != 0 || row < 0 || row >= int(node->children.size())) return {};
  return createIndex(row, 0, node->children[row].get());
}

QModelIndex FolderModel::parent(const QModelIndex& child) const {
  return child.isValid() ? IndexOf(NodeOf(child)->parent) : QModelIndex();
}

bool FolderModel::hasChildren(const QModelIndex& parent) const {
  const Node* node = NodeOf(parent);
  if (node->childrenRead) return !node->children.empty();
  return node->hasSubfolders != 0;
}

void FolderModel::ResolveHasChildren(const QModelIndex& index) {
  Node* node = NodeOf(index);
  if (!index.isValid() || node->childrenRead || node->hasSubfolders >= 0) return;
  node->hasSubfolders = node->kind == Kind::Desktop || HasSubfolders(PathOf(node)) ? 1 : 0;
  if (node->hasSubfolders == 0) emit dataChanged(index, index);
}

bool FolderModel::canFetchMore(const QModelIndex& parent) const {
  return parent.isValid() && !NodeOf(parent)->childrenRead;
}

void FolderModel::fetchMore(const QModelIndex& parent) {
  Node* node = NodeOf(parent);
  if (node->childrenRead) return;
  node->childrenRead = true;
  std::vector<ChildSpec> specs = ReadChildren(node);
  if (specs.empty()) {
    emit dataChanged(parent, parent);  // no expand button after all
    return;
  }
  InsertChildren(node, 0, std::move(specs));
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return node->name;
    case Qt::DecorationRole: return icons_[int(node->kind)];
    case Qt::ToolTipRole: return PathOf(node);
    default: return {};
  }
}

Qt::ItemFlags FolderModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  // The top item and the places stand for folders the user did not name here.
  if (NodeOf(index)->kind == Kind::Folder) flags |= Qt::ItemIsEditable;
  return flags;
}

bool FolderModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  Node* node = NodeOf(index);
  const QString newName = value.toString();
  if (newName.isEmpty() || newName == node->name) return false;  // an emptied label keeps the name
  const QString refusal = RenameFolder(PathOf(node), newName);
  if (!refusal.isEmpty()) {
    emit OperationRefused(refusal);
    return false;
  }
  node->name = newName;
  emit dataChanged(index, index);
  MoveToSortedPlace(node);
  return true;
}

// A renamed folder takes the place its new name sorts to, among the folders
// (after the places, below the top item).
void FolderModel::MoveToSortedPlace(Node* node) {
  Node* parent = node->parent;
  QStringList names;
  int firstFolder = int(parent->children.size());
  for (const auto& child : parent->children) {
    if (child->kind != Kind::Folder) continue;
    firstFolder = std::min(firstFolder, child->row);
    if (child.get() != node) names.append(child->name);
  }
  names.append(node->name);
  SortFolderNames(names);
  const int to = firstFolder + int(names.indexOf(node->name));
  const int from = node->row;
  if (to == from) return;
  const QModelIndex parentIndex = IndexOf(parent);
  beginMoveRows(parentIndex, from, from, parentIndex, to > from ? to + 1 : to);
  std::unique_ptr<Node> moved = std::move(parent->children[from]);
  parent->children.erase(parent->children.begin() + from);
  parent->children.insert(parent->children.begin() + to, std::move(moved));
  Renumber(parent, std::min(from, to));
  endMoveRows();
}

}  // namespace skarvel::ui::qt
