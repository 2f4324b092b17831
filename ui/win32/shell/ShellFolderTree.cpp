#include "ui/win32/shell/ShellFolderTree.h"

#include "host/platform/win32/CodePage.h"

namespace skarvel::ui::win32 {
namespace {

// Each further level, in pixels at 96 dots per inch.
constexpr int kIndent = 19;

}  // namespace

void ShellFolderTree::Create(HWND parent, const Rect& place, bool autoRefresh) {
  tree_.Create(parent, place);
  tree_.SetIndent(kIndent);
  tree_.SetImages(SystemSmallIcons());
  tree_.onExpanding = [this](HTREEITEM item) {
    const Node* node = NodeOf(item);
    if (node != nullptr && !node->childrenRead) ReadChildren(item);
  };
  tree_.onDeleteItem = [this](HTREEITEM item, LPARAM) { nodes_.erase(item); };
  tree_.onBeginLabelEdit = [this](HTREEITEM item) { return BeginRename(item); };
  tree_.onEndLabelEdit = [this](HTREEITEM item, const std::optional<std::wstring>& name) {
    return EndRename(item, name);
  };
  tree_.onContextMenu = [this](HTREEITEM item, POINT screen) { ShowContextMenu(item, screen); };
  tree_.onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return OnTreeMessage(message, wParam, lParam, result);
  };
  if (autoRefresh) {
    watcher_ = std::make_unique<FolderChangeWatcher>(tree_.Handle(), kFolderChangedMessage);
    tree_.onSelectionChanged = [this](HTREEITEM) {
      if (watching_) WatchSelected();
    };
  }

  ComPtr<IShellFolder> desktop = DesktopFolder();
  IdList top = DesktopIdList();
  if (desktop == nullptr || top == nullptr) return;
  const ShellIcons icons = IconsOf(top.get());
  auto node = std::make_unique<Node>();
  TreeItem item{NameOf(*desktop.Get(), top.get(), SHGDN_INFOLDER), icons.normal, icons.open, true,
                reinterpret_cast<LPARAM>(node.get())};
  node->absolute = std::move(top);
  HTREEITEM root = tree_.Insert(TVI_ROOT, TVI_LAST, item);
  nodes_[root] = std::move(node);
  tree_.Expand(root);
  tree_.Select(root);
}

ShellFolderTree::Node* ShellFolderTree::NodeOf(HTREEITEM item) const {
  const auto found = nodes_.find(item);
  return found == nodes_.end() ? nullptr : found->second.get();
}

PCIDLIST_ABSOLUTE ShellFolderTree::IdListOf(HTREEITEM item) const {
  const Node* node = NodeOf(item);
  return node == nullptr ? nullptr : node->absolute.get();
}

std::string ShellFolderTree::SelectedFolder() const {
  PCIDLIST_ABSOLUTE selected = IdListOf(tree_.Selected());
  return selected == nullptr ? std::string() : FolderValue(selected);
}

HTREEITEM ShellFolderTree::InsertChild(HTREEITEM parent, HTREEITEM after, IShellFolder& folder,
                                       PCUITEMID_CHILD child) {
  const Node* parentNode = NodeOf(parent);
  auto node = std::make_unique<Node>();
  node->absolute = CombineIdLists(parentNode->absolute.get(), child);
  if (node->absolute == nullptr) return nullptr;
  const ShellIcons icons = IconsOf(node->absolute.get());
  const TreeItem item{NameOf(folder, child, SHGDN_INFOLDER), icons.normal, icons.open,
                      AttributesOf(folder, child, SFGAO_HASSUBFOLDER) != 0, reinterpret_cast<LPARAM>(node.get())};
  HTREEITEM inserted = tree_.Insert(parent, after, item);
  if (inserted != nullptr) nodes_[inserted] = std::move(node);
  return inserted;
}

void ShellFolderTree::ReadChildren(HTREEITEM item) {
  Node* node = NodeOf(item);
  node->childrenRead = true;
  ComPtr<IShellFolder> folder = FolderOf(node->absolute.get());
  bool any = false;
  if (folder != nullptr) {
    for (const IdList& child : ChildFolders(*folder.Get(), tree_.Handle())) {
      any = InsertChild(item, TVI_LAST, *folder.Get(), child.get()) != nullptr || any;
    }
  }
  // The shell may report subfolders that are not there (Wine does for every
  // folder): the button goes once the folder proves empty.
  if (!any) tree_.SetHasChildren(item, false);
}

void ShellFolderTree::ShowContextMenu(HTREEITEM item, POINT screen) {
  PCIDLIST_ABSOLUTE list = IdListOf(item);
  if (list == nullptr) return;
  if (contextMenu_.Show(tree_.Handle(), list, screen)) tree_.EditLabel(item);
}

bool ShellFolderTree::OnTreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == kFolderChangedMessage) {
    OnFolderChanged(wParam == kFromIdle);
    result = 0;
    return true;
  }
  return contextMenu_.HandleMenuMessage(message, wParam, lParam, result);
}

}  // namespace skarvel::ui::win32
