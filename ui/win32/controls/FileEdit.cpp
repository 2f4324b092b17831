#include "ui/win32/controls/FileEdit.h"

#include <optional>

#include "host/platform/win32/CodePage.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

// The dropped names in the code page; a name it cannot hold exactly names no
// file the program could open, and makes the whole drop unusable.
std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    const std::optional<std::string> ansi = AnsiFromWide(name);
    if (!ansi) return {};
    paths.push_back(*ansi);
  }
  return paths;
}

}  // namespace

void FileEdit::Create(HWND parent, const Rect& place) {
  edit_.Create(parent, {place.left, place.top, place.width - kBrowseWidth, place.height});
  browse_.Create(parent, "...", {place.left + place.width - kBrowseWidth, place.top, kBrowseWidth, place.height});
  edit_.onChange = [this] {
    if (onChange) onChange();
  };
  browse_.onClick = [this] { Browse(); };
  DragAcceptFiles(edit_.Handle(), TRUE);
  SetWindowSubclass(edit_.Handle(), EditProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

void FileEdit::Browse() {
  if (const std::optional<std::string> chosen = RunOpenDialog(GetAncestor(edit_.Handle(), GA_ROOT), dialog_)) {
    SetText(*chosen);
  }
  RunHandler(onBrowse);
}

bool FileEdit::Drop(const std::vector<std::string>& paths) {
  if (paths.size() != 1) return false;
  const DWORD attributes = GetFileAttributesA(paths[0].c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !acceptsFolders_) return false;
  SetText(paths[0]);
  RunHandler(onBrowse);
  return true;
}

LRESULT CALLBACK FileEdit::EditProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
  if (message == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(wParam);
    const std::vector<std::string> paths = DroppedPaths(drop);
    DragFinish(drop);
    RunHandler([&] { reinterpret_cast<FileEdit*>(self)->Drop(paths); });
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, EditProcedure, 1);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace skarvel::ui::win32
