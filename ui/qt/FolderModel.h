#pragma once
// The folder tree's items: one top item, "Desktop", over the places and the
// desktop's own subfolders; each folder's subfolders are read from disk when
// the folder is first expanded.
#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <vector>

namespace skarvel::ui::qt {

class FolderModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit FolderModel(QObject* parent = nullptr);
  ~FolderModel() override;

  // The one top item.
  QModelIndex TopIndex() const;
  // The item's folder: its absolute path without a trailing "/" (the root stays
  // "/"); empty for no item.
  QString FolderPath(const QModelIndex& index) const;

  // Reads the item's subfolders again, and those of every item below it whose
  // subfolders were read: new folders appear, vanished ones go, and the items
  // that stay keep their place in any view (expanded, selected, scrolled to).
  void Refresh(const QModelIndex& index);

  // An item whose subfolders were not read yet gets an expand button until this
  // looks on disk whether it has any (the view asks for the rows it shows, so a
  // folder of many thousands costs as little as one of twenty).
  void ResolveHasChildren(const QModelIndex& index);

  // Makes a new folder ("New folder", or "New folder (2)", ...) inside the
  // item's folder and returns its item; on failure emits OperationRefused and
  // returns no item.
  QModelIndex CreateFolder(const QModelIndex& parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // A new label renames the folder on disk; a rename that the system refuses
  // emits OperationRefused with its reason and changes nothing.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 signals:
  // A rename or a new folder failed; text says why, for the user.
  void OperationRefused(const QString& text);

 private:
  struct Node;
  struct ChildSpec;

  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(const Node* node) const;
  QString PathOf(const Node* node) const;
  std::vector<ChildSpec> ReadChildren(const Node* node) const;
  void InsertChildren(Node* parent, int row, std::vector<ChildSpec> specs);
  void RefreshNode(Node* node);
  void SyncChildren(Node* node, const QModelIndex& parentIndex);
  void Renumber(Node* parent, int from);
  void MoveToSortedPlace(Node* node);

  std::unique_ptr<Node> root_;  // the invisible parent of the top item
  QIcon icons_[6];
};

}  // namespace skarvel::ui::qt
