#pragma once
// What the folder dialogs' OK handlers need of their window: the folder tree's
// value and closing the dialog.
#include <string>

namespace skarvel::ui {

class FolderDialogView {
 public:
  virtual ~FolderDialogView() = default;
  // The selected folder's full path in internal form, without a trailing "\"
  // (a root stays "\"); the empty text when nothing is selected.
  virtual std::string SelectedFolder() const = 0;
  // Hides the dialog; it is not destroyed and keeps its tree as it is.
  virtual void Close() = 0;
};

}  // namespace skarvel::ui
