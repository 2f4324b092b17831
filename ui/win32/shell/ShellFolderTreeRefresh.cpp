// The folder tree's automatic refresh: which folder it watches, when a change
// is taken up, and the merge of a folder's subfolders as the shell now lists
// them into the items the tree has.
#include "ui/win32/shell/ShellFolderTree.h"

#include <vector>

namespace skarvel::ui::win32 {

void ShellFolderTree::WatchSelected() {
  PCIDLIST_ABSOLUTE selected = IdListOf(tree_.Selected());
  watcher_->Watch(selected == nullptr ? std::wstring() : FileSystemPath(selected));
}

void ShellFolderTree::StartWatching() {
  if (watcher_ == nullptr || watching_) return;
  watching_ = true;
  if (HTREEITEM selected = tree_.Selected()) Refresh(selected);
  WatchSelected();
}

void ShellFolderTree::StopWatching() {
  if (watcher_ == nullptr || !watching_) return;
  watching_ = false;
  watcher_->Watch(std::wstring());
}

std::wstring ShellFolderTree::WatchedFolder() const { return watcher_ == nullptr ? std::wstring() : watcher_->Folder(); }

void ShellFolderTree::OnFolderChanged(bool fromIdle) {
  // While a refresh waits, further changes add nothing to it.
  if (refreshDeferred_ && !fromIdle) return;
  refreshDeferred_ = false;
  if (ProgramBusy()) {
    // Never inside a handler, a modal box or a label's edit: once the program
    // is idle, the message comes again, to be handled between events.
    refreshDeferred_ = true;
    HWND tree = tree_.Handle();
    WhenIdle([tree] { PostMessageA(tree, kFolderChangedMessage, kFromIdle, 0); });
    return;
  }
  if (HTREEITEM selected = tree_.Selected()) Refresh(selected);
}

void ShellFolderTree::Refresh(HTREEITEM item) {
  if (NodeOf(item) == nullptr) return;
  HTREEITEM firstInSight = tree_.FirstVisible();
  tree_.SetRedraw(false);
  RefreshChildren(item);
  if (NodeOf(firstInSight) != nullptr) tree_.ScrollToTop(firstInSight);
  tree_.SetRedraw(true);
}

// Both the items and the shell's list are in the shell's order, so one walk
// through both finds what stays, what went and what is new.
void ShellFolderTree::RefreshChildren(HTREEITEM item) {
  Node* node = NodeOf(item);
  if (!node->childrenRead) {
    // Read when it is expanded; until then the shell's word decides the button.
    PCUITEMID_CHILD last = nullptr;
    ComPtr<IShellFolder> parent = ParentOf(node->absolute.get(), last);
    tree_.SetHasChildren(item, parent != nullptr && AttributesOf(*parent.Get(), last, SFGAO_HASSUBFOLDER) != 0);
    return;
  }
  ComPtr<IShellFolder> folder = FolderOf(node->absolute.get());
  const std::vector<IdList> listed = folder == nullptr ? std::vector<IdList>() : ChildFolders(*folder.Get(), tree_.Handle());
  std::vector<HTREEITEM> items;
  for (HTREEITEM child = tree_.FirstChild(item); child != nullptr; child = tree_.NextSibling(child)) {
    items.push_back(child);
  }

  HTREEITEM after = TVI_FIRST;
  std::size_t kept = 0;
  for (const IdList& fresh : listed) {
    int order = 1;
    // The items that come before the fresh one are gone from disk.
    while (kept < items.size() && (order = CompareInFolder(*folder.Get(), ILFindLastID(IdListOf(items[kept])), fresh.get())) < 0) {
      tree_.Delete(items[kept++]);
    }
    if (kept < items.size() && order == 0) {
      UpdateKeptChild(items[kept], *folder.Get(), fresh.get());
      after = items[kept++];
    } else if (HTREEITEM inserted = InsertChild(item, after, *folder.Get(), fresh.get())) {
      after = inserted;
    }
  }
  while (kept < items.size()) tree_.Delete(items[kept++]);
  if (listed.empty()) tree_.SetHasChildren(item, false);
}

void ShellFolderTree::UpdateKeptChild(HTREEITEM item, IShellFolder& folder, PCUITEMID_CHILD child) {
  tree_.SetLabel(item, NameOf(folder, child, SHGDN_INFOLDER));
  Node* node = NodeOf(item);
  if (tree_.IsExpanded(item)) {
    RefreshChildren(item);
  } else {
    // Read again when it is expanded; until then the shell's word decides the
    // button.
    if (node->childrenRead) tree_.CollapseAndForget(item);
    node->childrenRead = false;
    tree_.SetHasChildren(item, AttributesOf(folder, child, SFGAO_HASSUBFOLDER) != 0);
  }
}

}  // namespace skarvel::ui::win32
