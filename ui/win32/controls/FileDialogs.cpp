#include "ui/win32/controls/FileDialogs.h"

#include <vector>

#include "ui/FileFilter.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

// Room for a long path: the dialogs fail with a name longer than their buffer.
constexpr std::size_t kNameRoom = 32768;

using DialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);

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
  BusyScope busy;
  if (!run(&dialog)) return std::nullopt;
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
