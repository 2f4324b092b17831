#include "ui/win32/controls/FileDialogs.h"

#include <vector>

#include "ui/FileFilter.h"
#include "ui/win32/controls/Events.h"
#include "ui/win32/controls/Modality.h"

namespace skarvel::ui::win32 {
namespace {

// Room for a long path: the dialogs fail with a name longer than their buffer.
constexpr std::size_t kNameRoom = 32768;

using DialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);

// The save dialog opens a folder whose name is typed instead of accepting it,
// so a proposed target that is an existing folder (the folder of the last
// extraction) could never be confirmed. While the proposal is such a folder,
// the dialog's OK is looked at first: the proposed folder itself is taken.
struct ProposedFolder {
  std::string path;
  std::optional<std::string> accepted;
};

LRESULT CALLBACK TakeProposedFolder(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    auto& proposed = *reinterpret_cast<ProposedFolder*>(data);
    std::vector<char> path(kNameRoom, '\0');
    const LRESULT length =
        SendMessageA(dialog, CDM_GETFILEPATH, static_cast<WPARAM>(path.size()), reinterpret_cast<LPARAM>(path.data()));
    if (length > 0 && lstrcmpiA(path.data(), proposed.path.c_str()) == 0) {
      const DWORD attributes = GetFileAttributesA(path.data());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        proposed.accepted = std::string(path.data());
        // Closed as cancelled, so that the dialog itself fills in nothing.
        EndDialog(dialog, IDCANCEL);
        return 0;
      }
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, TakeProposedFolder, id);
  return DefSubclassProc(dialog, message, wParam, lParam);
}

// The hook's own window is a child of the dialog, whose OK it watches.
UINT_PTR CALLBACK WatchDialogOk(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto& dialog = *reinterpret_cast<const OPENFILENAMEA*>(lParam);
    SetWindowSubclass(GetParent(hook), TakeProposedFolder, 1, dialog.lCustData);
  }
  return 0;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> RunDialog(DialogFunction run, HWND owner, const FileDialogSettings& settings,
                                     DWORD flags) {
  const std::string filter = SystemFilter(settings.filter);
  const std::string extension = DefaultSuffix(settings.defaultExtension);
  std::vector<char> name(kNameRoom, '\0');
  settings.fileName.copy(name.data(), kNameRoom - 1);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = settings.initialFolder.empty() ? nullptr : settings.initialFolder.c_str();
  dialog.lpstrTitle = settings.title.empty() ? nullptr : settings.title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  ProposedFolder proposed{settings.fileName, std::nullopt};
  if (run == GetSaveFileNameA && IsFolder(settings.fileName)) {
    dialog.Flags |= OFN_ENABLEHOOK;
    dialog.lpfnHook = WatchDialogOk;
    dialog.lCustData = reinterpret_cast<LPARAM>(&proposed);
  }
  BusyScope busy;
  ModalScope modal(owner);
  if (!run(&dialog)) return proposed.accepted;
  return std::string(name.data());
}

}  // namespace

std::string SystemFilter(const std::string& filter) {
  std::string system;
  for (const FilterEntry& entry : ParseFilter(filter)) {
    system += entry.description;
    system += '\0';
    for (std::size_t i = 0; i < entry.patterns.size(); ++i) system += (i > 0 ? ";" : "") + entry.patterns[i];
    system += '\0';
  }
  if (!system.empty()) system += '\0';
  return system;
}

std::optional<std::string> RunOpenDialog(HWND owner, const FileDialogSettings& settings) {
  return RunDialog(GetOpenFileNameA, owner, settings, 0);
}

std::optional<std::string> RunSaveDialog(HWND owner, const FileDialogSettings& settings) {
  return RunDialog(GetSaveFileNameA, owner, settings, OFN_PATHMUSTEXIST);
}

}  // namespace skarvel::ui::win32
