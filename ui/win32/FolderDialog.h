#pragma once
// What both folder dialogs share: a modeless form that stays above the other
// windows and is hidden, not destroyed, when it closes; the folder tree; an OK
// button that is the default button, so that Enter presses it unless a
// folder's label is being edited; Escape does nothing. The dialog is the OK
// handlers' view of the tree.
#include <string>

#include "ui/FolderDialogView.h"
#include "ui/win32/controls/Button.h"
#include "ui/win32/controls/Container.h"
#include "ui/win32/shell/ShellFolderTree.h"

namespace skarvel::ui::win32 {

class FolderDialog : public FolderDialogView {
 public:
  FolderDialog(const FolderDialog&) = delete;
  FolderDialog& operator=(const FolderDialog&) = delete;
  ~FolderDialog() override;

  Form& Window() { return form_; }
  ShellFolderTree& Tree() { return tree_; }
  Button& Ok() { return ok_; }

  // Shows a hidden dialog centred on the screen with the tree focused; one
  // already shown keeps its place and selection. Either is brought to the
  // front and activated.
  void Show();

  // FolderDialogView
  std::string SelectedFolder() const override { return tree_.SelectedFolder(); }
  void Close() override;

 protected:
  // The form, hidden, owned by owner (which may be null), at its client size
  // (pixels at 96 dots per inch).
  FolderDialog(const std::string& caption, int clientWidth, int clientHeight, HWND owner);
  // The tab order follows the order of creation: the tree first, then what
  // holds the OK button.
  void CreateTree(HWND parent, const Rect& place, bool autoRefresh);
  void CreateOk(HWND parent, const Rect& place);

 private:
  Form form_;
  ShellFolderTree tree_;
  Button ok_;
};

}  // namespace skarvel::ui::win32
