#pragma once
// A file-name edit with a browse button at its right end. The button runs a
// file-open dialog with the edit's settings and, when the user accepts, puts
// the chosen path into the edit (which runs onChange); then it runs onBrowse,
// accepted or cancelled. A file dropped from Explorer onto the edit does the
// same as a choice in the dialog.
#include <functional>

#include "ui/win32/controls/Button.h"
#include "ui/win32/controls/Edit.h"
#include "ui/win32/controls/FileDialogs.h"

namespace skarvel::ui::win32 {

class FileEdit {
 public:
  static constexpr int kBrowseWidth = 20;

  // The edit and its button share the place given.
  void Create(HWND parent, const Rect& place);

  Edit& TextEdit() { return edit_; }
  Button& BrowseButton() { return browse_; }
  std::string Text() const { return edit_.Text(); }
  // Runs onChange when the text differs from the one the edit holds.
  void SetText(const std::string& text) { edit_.SetText(text); }

  void SetDialogTitle(const std::string& title) { dialog_.title = title; }
  void SetFilter(const std::string& filter) { dialog_.filter = filter; }
  void SetDefaultExtension(const std::string& extension) { dialog_.defaultExtension = extension; }
  void SetInitialFolder(const std::string& folder) { dialog_.initialFolder = folder; }
  const std::string& InitialFolder() const { return dialog_.initialFolder; }
  // Whether a dropped folder counts as a choice, as for a source of files.
  void SetAcceptsFolders(bool accepts) { acceptsFolders_ = accepts; }

  // The button's work: the dialog, then onBrowse.
  void Browse();
  // A drop of paths (full paths in the code page): exactly one file, or one
  // folder where folders count, is taken; anything else is ignored. True when taken.
  bool Drop(const std::vector<std::string>& paths);

  std::function<void()> onChange;
  std::function<void()> onBrowse;

 private:
  static LRESULT CALLBACK EditProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);

  Edit edit_;
  Button browse_;
  FileDialogSettings dialog_;
  bool acceptsFolders_ = false;
};

}  // namespace skarvel::ui::win32
