// Renaming a folder by editing its label in place: the shell renames it, and
// the item and the items below it take the folder's new identifiers.
#include "ui/win32/shell/ShellFolderTree.h"

#include <utility>

#include "host/platform/win32/CodePage.h"

namespace skarvel::ui::win32 {
namespace {

constexpr SHGDNF kEditingName = SHGDN_INFOLDER | SHGDN_FOREDITING;

}  // namespace

bool ShellFolderTree::BeginRename(HTREEITEM item) {
  PCIDLIST_ABSOLUTE list = IdListOf(item);
  if (list == nullptr || tree_.Parent(item) == nullptr) return false;
  PCUITEMID_CHILD last = nullptr;
  ComPtr<IShellFolder> parent = ParentOf(list, last);
  if (parent == nullptr || AttributesOf(*parent.Get(), last, SFGAO_CANRENAME) == 0) return false;
  const std::wstring name = NameOf(*parent.Get(), last, kEditingName);
  if (name.empty()) return false;
  SetWindowTextW(tree_.LabelEditor(), name.c_str());
  editing_.emplace();
  return true;
}

bool ShellFolderTree::EndRename(HTREEITEM item, const std::optional<std::wstring>& name) {
  // Whatever happens below, the edit is over; a refresh that waited for it may
  // come (it is posted, so it runs after this).
  struct EndOfEdit {
    std::optional<BusyScope>& editing;
    ~EndOfEdit() { editing.reset(); }
  } end{editing_};
  Node* node = NodeOf(item);
  const Node* parentNode = NodeOf(tree_.Parent(item));
  if (!name || name->empty() || node == nullptr || parentNode == nullptr) return false;
  // A name that the code page cannot hold names a folder the program could not
  // reach: refused, with the reason in the error box, the label as it was.
  CheckedAnsiFromWide(*name);
  PCUITEMID_CHILD last = nullptr;
  ComPtr<IShellFolder> parent = ParentOf(node->absolute.get(), last);
  if (parent == nullptr) return false;
  PITEMID_CHILD renamed = nullptr;
  // The shell tells the user itself why it refuses; the label stays as it was.
  if (FAILED(parent->SetNameOf(tree_.Handle(), last, name->c_str(), kEditingName, &renamed)) ||
      renamed == nullptr) {
    return false;
  }
  const IdList newLast(renamed);
  IdList before = std::move(node->absolute);
  node->absolute = CombineIdLists(parentNode->absolute.get(), newLast.get());
  Rebase(item, before.get(), node->absolute.get());
  tree_.SetLabel(item, NameOf(*parent.Get(), newLast.get(), SHGDN_INFOLDER));
  tree_.SortChildren(tree_.Parent(item), CompareItems, reinterpret_cast<LPARAM>(parent.Get()));
  // The watched folder may be this one or one below it.
  if (watcher_ != nullptr && watching_) WatchSelected();
  return false;
}

// The identifiers of the items below a renamed folder still name it by its
// old name.
void ShellFolderTree::Rebase(HTREEITEM item, PCIDLIST_ABSOLUTE from, PCIDLIST_ABSOLUTE to) {
  for (HTREEITEM child = tree_.FirstChild(item); child != nullptr; child = tree_.NextSibling(child)) {
    Node* node = NodeOf(child);
    if (node == nullptr) continue;
    IdList moved = CombineIdLists(to, ILFindChild(const_cast<PIDLIST_ABSOLUTE>(from), node->absolute.get()));
    IdList before = std::exchange(node->absolute, std::move(moved));
    Rebase(child, before.get(), node->absolute.get());
  }
}

int CALLBACK ShellFolderTree::CompareItems(LPARAM first, LPARAM second, LPARAM folder) {
  const auto* a = reinterpret_cast<const Node*>(first);
  const auto* b = reinterpret_cast<const Node*>(second);
  return CompareInFolder(*reinterpret_cast<IShellFolder*>(folder), ILFindLastID(a->absolute.get()),
                         ILFindLastID(b->absolute.get()));
}

}  // namespace skarvel::ui::win32
