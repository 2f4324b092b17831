#pragma once
// A tree of items with labels and images. Labels are UTF-16, so that names the
// code page cannot hold are shown as they are; the label being edited comes
// back in the code page, as every notification of the program's containers
// does. The events run through RunHandler.
#include <functional>
#include <optional>
#include <string>

#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

struct TreeItem {
  std::wstring label;
  int image = 0;
  int selectedImage = 0;
  bool hasChildren = false;  // shows the expand button before the children exist
  LPARAM data = 0;
};

class TreeView : public Control {
 public:
  // Lines and expand buttons from the second level on (the top items have
  // neither), labels editable in place, the selection shown without focus.
  void Create(HWND parent, const Rect& place);
  ~TreeView() override;

  HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const TreeItem& item);
  void Delete(HTREEITEM item);
  void DeleteAll();
  // Collapses the item and deletes its children; the next expansion is a first
  // one again.
  void CollapseAndForget(HTREEITEM item);
  void SetImages(HIMAGELIST images);
  void SetIndent(int pixels);  // at 96 dots per inch
  void Rescale(int oldDpi, int dpi) override;

  HTREEITEM Root() const;
  HTREEITEM Parent(HTREEITEM item) const;
  HTREEITEM FirstChild(HTREEITEM item) const;
  HTREEITEM NextSibling(HTREEITEM item) const;
  HTREEITEM Selected() const;
  HTREEITEM FirstVisible() const;
  HTREEITEM ItemAt(POINT screen) const;
  bool ItemRect(HTREEITEM item, RECT& screen) const;  // the label's, on the screen

  std::wstring Label(HTREEITEM item) const;
  void SetLabel(HTREEITEM item, const std::wstring& label);
  void SetImages(HTREEITEM item, int image, int selectedImage);
  void Images(HTREEITEM item, int& image, int& selectedImage) const;
  bool HasChildren(HTREEITEM item) const;
  void SetHasChildren(HTREEITEM item, bool hasChildren);
  LPARAM Data(HTREEITEM item) const;
  bool IsExpanded(HTREEITEM item) const;

  void Select(HTREEITEM item);
  void Expand(HTREEITEM item);
  void Collapse(HTREEITEM item);
  void ScrollToTop(HTREEITEM item);  // makes item the first one in sight
  // Sorts the item's children by compare(first data, second data, context).
  void SortChildren(HTREEITEM item, PFNTVCOMPARE compare, LPARAM context);
  // Stops drawing until the matching call with true.
  void SetRedraw(bool redraw);

  // In-place editing of a label: starts on item, or ends now (keeping or
  // dropping the text typed).
  void EditLabel(HTREEITEM item);
  void EndLabelEdit(bool keepText);
  bool IsEditingLabel() const;
  HWND LabelEditor() const;

  bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // Before an item expands for the first time or again.
  std::function<void(HTREEITEM)> onExpanding;
  std::function<void(HTREEITEM)> onSelectionChanged;
  // Return false to refuse the edit.
  std::function<bool(HTREEITEM)> onBeginLabelEdit;
  // The edit ends: text is what was typed (UTF-16, as typed), nullopt when the
  // edit was dropped.
  // Return true to keep the text as the label (the handler may also set the
  // label itself and return false).
  std::function<bool(HTREEITEM, const std::optional<std::wstring>& text)> onEndLabelEdit;
  // The item goes: its data is the owner's to free. Not run through
  // RunHandler, as the tree deletes items while it goes as well.
  std::function<void(HTREEITEM, LPARAM)> onDeleteItem;
  // A right click or the menu key; screen is where the menu opens.
  std::function<void(HTREEITEM, POINT screen)> onContextMenu;
  // Messages of the tree's own window before the system sees them (for the
  // owner's posted messages, and a popup menu's messages to its owner): true
  // when handled, with the result.
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR self);
  LRESULT ContextMenu(LPARAM lParam);

  bool editing_ = false;  // between an edit's start and its first end
  int indent_ = 0;        // at 96 dots per inch; 0 for the system's
};

}  // namespace skarvel::ui::win32
