#pragma once
// The folder tree of both folder dialogs (ShellTreeView1) over the shell's
// namespace: folders only, under the one top item Desktop, which is expanded
// one level and selected when the tree is built. A folder's subfolders are read
// when it is first expanded; names, icons, order, the context menu and renames
// are the shell's. With the automatic refresh on, the tree watches the selected
// folder and, when folders in it appear or go on disk, reads the selected item
// and the items below it again, between the program's events.
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "ui/win32/controls/Events.h"
#include "ui/win32/controls/TreeView.h"
#include "ui/win32/shell/FolderChangeWatcher.h"
#include "ui/win32/shell/ShellContextMenu.h"
#include "ui/win32/shell/ShellNamespace.h"

namespace skarvel::ui::win32 {

class ShellFolderTree {
 public:
  void Create(HWND parent, const Rect& place, bool autoRefresh);

  TreeView& View() { return tree_; }
  const TreeView& View() const { return tree_; }

  // The selected folder's path (FolderValue); the empty text when nothing is
  // selected.
  std::string SelectedFolder() const;
  // The item's full identifier list; null for no item of this tree.
  PCIDLIST_ABSOLUTE IdListOf(HTREEITEM item) const;

  // Reads the item's subfolders again and those of the expanded folders below
  // it; expanded folders, the selection and the first item in sight stay.
  void Refresh(HTREEITEM item);
  // The folder whose changes the tree is watching; empty when none.
  std::wstring WatchedFolder() const;
  // With the automatic refresh, the watch runs only while the tree is shown: a
  // watched folder is held open, which would keep the user from removing a USB
  // stick or renaming its parents while the dialog is hidden. On starting, the
  // selected folder is read again, as it may have changed meanwhile.
  void StartWatching();
  void StopWatching();

 private:
  // The watcher's message to the tree; wParam kFromIdle when it comes again
  // after waiting for the program to be idle.
  static constexpr UINT kFolderChangedMessage = WM_APP + 1;
  static constexpr WPARAM kFromIdle = 1;

  struct Node {
    IdList absolute;
    bool childrenRead = false;
  };

  Node* NodeOf(HTREEITEM item) const;
  HTREEITEM InsertChild(HTREEITEM parent, HTREEITEM after, IShellFolder& folder, PCUITEMID_CHILD child);
  void ReadChildren(HTREEITEM item);
  void RefreshChildren(HTREEITEM item);
  void UpdateKeptChild(HTREEITEM item, IShellFolder& folder, PCUITEMID_CHILD child);

  bool BeginRename(HTREEITEM item);
  bool EndRename(HTREEITEM item, const std::optional<std::wstring>& name);
  void Rebase(HTREEITEM item, PCIDLIST_ABSOLUTE from, PCIDLIST_ABSOLUTE to);
  // The shell's order of two items' nodes in the folder that holds both.
  static int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM folder);
  void ShowContextMenu(HTREEITEM item, POINT screen);

  void WatchSelected();
  void OnFolderChanged(bool fromIdle);
  bool OnTreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  TreeView tree_;
  std::unordered_map<HTREEITEM, std::unique_ptr<Node>> nodes_;
  ShellContextMenu contextMenu_;
  std::unique_ptr<FolderChangeWatcher> watcher_;  // only with the automatic refresh
  bool watching_ = false;
  // A refresh waits for the program to be idle.
  bool refreshDeferred_ = false;
  // An in-place edit is a handler's work until it ends: no refresh deletes the
  // item under it.
  std::optional<BusyScope> editing_;
};

}  // namespace skarvel::ui::win32
