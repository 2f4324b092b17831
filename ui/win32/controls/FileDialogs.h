#pragma once
// The system's file-open and file-save dialogs (the Vista dialogs), which
// open in the folder the program proposes every time.
#include <optional>
#include <string>

#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

struct FileDialogSettings {
  std::string title;
  std::string filter;            // "description|pattern;pattern|...", as the program writes it
  std::string defaultExtension;  // "*.wad", ".tex" or empty
  std::string initialFolder;
  std::string fileName;          // proposed name, or a full path
};

// Each returns the full path the user accepted, or nullopt when cancelled; a
// path that the code page cannot hold is refused with RefusedError. The
// program's current folder is left as it was, and a modal dialog keeps the
// program busy while it is open.
std::optional<std::string> RunOpenDialog(HWND owner, const FileDialogSettings& settings);
// The file named need not exist; naming an existing one asks nothing, since
// the operations replace what the user names.
std::optional<std::string> RunSaveDialog(HWND owner, const FileDialogSettings& settings);

}  // namespace skarvel::ui::win32
