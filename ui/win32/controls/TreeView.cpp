#include "ui/win32/controls/TreeView.h"

#include <vector>

#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

TVITEMW ItemOf(HTREEITEM item, UINT mask) {
  TVITEMW data{};
  data.mask = mask | TVIF_HANDLE;
  data.hItem = item;
  return data;
}

}  // namespace

void TreeView::Create(HWND parent, const Rect& place) {
  CreateChild(WC_TREEVIEWA, "",
              WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE, parent, place);
  // Its notifications in UTF-16, whatever its parent asks for: a renamed
  // label would otherwise come back converted by the tree, a look-alike in
  // place of a letter the code page cannot hold.
  TreeView_SetUnicodeFormat(Handle(), TRUE);
  SetWindowSubclass(Handle(), Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TreeView::~TreeView() {
  // The window outlives this part of the object while the base destroys it.
  if (Handle() != nullptr && IsWindow(Handle())) RemoveWindowSubclass(Handle(), Procedure, kSubclassId);
}

HTREEITEM TreeView::Insert(HTREEITEM parent, HTREEITEM after, const TreeItem& item) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(item.label.c_str());
  insert.item.iImage = item.image;
  insert.item.iSelectedImage = item.selectedImage;
  insert.item.cChildren = item.hasChildren ? 1 : 0;
  insert.item.lParam = item.data;
  return reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TreeView::Delete(HTREEITEM item) { TreeView_DeleteItem(Handle(), item); }

void TreeView::DeleteAll() { TreeView_DeleteAllItems(Handle()); }

void TreeView::CollapseAndForget(HTREEITEM item) { TreeView_Expand(Handle(), item, TVE_COLLAPSE | TVE_COLLAPSERESET); }

void TreeView::SetImages(HIMAGELIST images) { TreeView_SetImageList(Handle(), images, TVSIL_NORMAL); }

void TreeView::SetIndent(int pixels) {
  indent_ = pixels;
  TreeView_SetIndent(Handle(), Scaled(pixels, DpiOf(Handle())));
}

void TreeView::Rescale(int oldDpi, int dpi) {
  Control::Rescale(oldDpi, dpi);
  if (indent_ > 0) SetIndent(indent_);
}

HTREEITEM TreeView::Root() const { return TreeView_GetRoot(Handle()); }

HTREEITEM TreeView::Parent(HTREEITEM item) const { return TreeView_GetParent(Handle(), item); }

HTREEITEM TreeView::FirstChild(HTREEITEM item) const { return TreeView_GetChild(Handle(), item); }

HTREEITEM TreeView::NextSibling(HTREEITEM item) const { return TreeView_GetNextSibling(Handle(), item); }

HTREEITEM TreeView::Selected() const { return TreeView_GetSelection(Handle()); }

HTREEITEM TreeView::FirstVisible() const { return TreeView_GetFirstVisible(Handle()); }

HTREEITEM TreeView::ItemAt(POINT screen) const {
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(Handle(), &hit.pt);
  HTREEITEM item = TreeView_HitTest(Handle(), &hit);
  return (hit.flags & TVHT_ONITEM) != 0 ? item : nullptr;
}

bool TreeView::ItemRect(HTREEITEM item, RECT& screen) const {
  if (!TreeView_GetItemRect(Handle(), item, &screen, TRUE)) return false;
  MapWindowPoints(Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&screen), 2);
  return true;
}

std::wstring TreeView::Label(HTREEITEM item) const {
  // Long enough for any name the shell gives a folder.
  std::vector<wchar_t> buffer(1024, L'\0');
  TVITEMW data = ItemOf(item, TVIF_TEXT);
  data.pszText = buffer.data();
  data.cchTextMax = static_cast<int>(buffer.size());
  if (!SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return {};
  return data.pszText;
}

void TreeView::SetLabel(HTREEITEM item, const std::wstring& label) {
  TVITEMW data = ItemOf(item, TVIF_TEXT);
  data.pszText = const_cast<wchar_t*>(label.c_str());
  SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void TreeView::SetImages(HTREEITEM item, int image, int selectedImage) {
  TVITEMW data = ItemOf(item, TVIF_IMAGE | TVIF_SELECTEDIMAGE);
  data.iImage = image;
  data.iSelectedImage = selectedImage;
  SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void TreeView::Images(HTREEITEM item, int& image, int& selectedImage) const {
  TVITEMW data = ItemOf(item, TVIF_IMAGE | TVIF_SELECTEDIMAGE);
  SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  image = data.iImage;
  selectedImage = data.iSelectedImage;
}

bool TreeView::HasChildren(HTREEITEM item) const {
  TVITEMW data = ItemOf(item, TVIF_CHILDREN);
  SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return data.cChildren != 0;
}

void TreeView::SetHasChildren(HTREEITEM item, bool hasChildren) {
  TVITEMW data = ItemOf(item, TVIF_CHILDREN);
  data.cChildren = hasChildren ? 1 : 0;
  SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

LPARAM TreeView::Data(HTREEITEM item) const {
  TVITEMW data = ItemOf(item, TVIF_PARAM);
  SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return data.lParam;
}

bool TreeView::IsExpanded(HTREEITEM item) const {
  return (TreeView_GetItemState(Handle(), item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TreeView::Select(HTREEITEM item) { TreeView_SelectItem(Handle(), item); }

void TreeView::Expand(HTREEITEM item) { TreeView_Expand(Handle(), item, TVE_EXPAND); }

void TreeView::Collapse(HTREEITEM item) { TreeView_Expand(Handle(), item, TVE_COLLAPSE); }

void TreeView::ScrollToTop(HTREEITEM item) { TreeView_SelectSetFirstVisible(Handle(), item); }

void TreeView::SortChildren(HTREEITEM item, PFNTVCOMPARE compare, LPARAM context) {
  TVSORTCB sort{item, compare, context};
  TreeView_SortChildrenCB(Handle(), &sort, FALSE);
}

void TreeView::SetRedraw(bool redraw) {
  SendMessageA(Handle(), WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  if (redraw) InvalidateRect(Handle(), nullptr, TRUE);
}

void TreeView::EditLabel(HTREEITEM item) {
  SetFocus(Handle());
  TreeView_EditLabel(Handle(), item);
}

void TreeView::EndLabelEdit(bool keepText) { TreeView_EndEditLabelNow(Handle(), keepText ? FALSE : TRUE); }

bool TreeView::IsEditingLabel() const { return LabelEditor() != nullptr; }

HWND TreeView::LabelEditor() const { return TreeView_GetEditControl(Handle()); }

bool TreeView::OnNotification(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  const auto* change = reinterpret_cast<const NMTREEVIEWW*>(lParam);
  result = 0;
  switch (header->code) {
    case TVN_ITEMEXPANDINGW:
      if ((change->action & TVE_EXPAND) != 0 && onExpanding) {
        RunHandler([&] { onExpanding(change->itemNew.hItem); });
      }
      return true;
    case TVN_SELCHANGEDW:
      if (onSelectionChanged) RunHandler([&] { onSelectionChanged(change->itemNew.hItem); });
      return true;
    case TVN_DELETEITEMW:
      if (onDeleteItem) onDeleteItem(change->itemOld.hItem, change->itemOld.lParam);
      return true;
    case TVN_BEGINLABELEDITW: {
      const auto* edit = reinterpret_cast<const NMTVDISPINFOW*>(lParam);
      bool allowed = !onBeginLabelEdit;
      if (onBeginLabelEdit) RunHandler([&] { allowed = onBeginLabelEdit(edit->item.hItem); });
      result = allowed ? FALSE : TRUE;
      editing_ = allowed;
      return true;
    }
    case TVN_ENDLABELEDITW: {
      const auto* edit = reinterpret_cast<const NMTVDISPINFOW*>(lParam);
      bool keep = false;
      // Wine's tree reports the end twice, the second time with the text typed
      // even when the edit was dropped: its editor, on its way out, loses the focus.
      if (!editing_) return true;
      editing_ = false;
      if (onEndLabelEdit) {
        std::optional<std::wstring> text;
        if (edit->item.pszText != nullptr) text = edit->item.pszText;
        RunHandler([&] { keep = onEndLabelEdit(edit->item.hItem, text); });
      }
      result = keep ? TRUE : FALSE;
      return true;
    }
    default:
      return false;
  }
}

LRESULT TreeView::ContextMenu(LPARAM lParam) {
  HTREEITEM item = nullptr;
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (lParam == -1) {
    // From the keyboard: the selected item's menu, at its label.
    item = Selected();
    RECT label{};
    if (item == nullptr || !ItemRect(item, label)) return 0;
    at = {label.left, label.bottom};
  } else {
    item = ItemAt(at);
    if (item == nullptr) return 0;
    Select(item);
  }
  if (onContextMenu) RunHandler([&] { onContextMenu(item, at); });
  return 0;
}

LRESULT CALLBACK TreeView::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
  auto* tree = reinterpret_cast<TreeView*>(self);
  LRESULT result = 0;
  if (tree->onMessage && tree->onMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CONTEXTMENU:
      // A right click reaches here too: the tree sends it when nothing takes
      // its NM_RCLICK.
      return tree->ContextMenu(lParam);
    case WM_KEYDOWN:
      // F2 renames, as in Explorer; the tree itself knows no key for it.
      if (wParam == VK_F2 && tree->Selected() != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & TVS_EDITLABELS) != 0) {
        tree->EditLabel(tree->Selected());
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, Procedure, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace skarvel::ui::win32
