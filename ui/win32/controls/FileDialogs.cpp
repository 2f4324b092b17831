#include "ui/win32/controls/FileDialogs.h"

#include <shobjidl.h>

#include <memory>
#include <vector>

#include "host/platform/win32/CodePage.h"
#include "ui/FileFilter.h"
#include "host/Paths.h"
#include "ui/win32/controls/Events.h"
#include "ui/win32/controls/Modality.h"

namespace skarvel::ui::win32 {
namespace {

struct Releaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComObject = std::unique_ptr<Interface, Releaser>;

ComObject<IShellItem> ShellItem(const std::string& path) {
  IShellItem* item = nullptr;
  if (path.empty() || FAILED(SHCreateItemFromParsingName(WideFromAnsi(path).c_str(), nullptr, IID_PPV_ARGS(&item)))) {
    return nullptr;
  }
  return ComObject<IShellItem>(item);
}

std::wstring FileSystemPath(IShellItem* item) {
  wchar_t* path = nullptr;
  if (item == nullptr || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return {};
  std::wstring result(path);
  CoTaskMemFree(path);
  return result;
}

// The save dialog opens a folder whose name is its proposal instead of
// accepting it, so a proposed target that is an existing folder (the folder of
// the last extraction) could never be confirmed. When the dialog is about to
// open that very folder while its name box still holds the folder's name, the
// user pressed Save on the proposal: it is taken and the dialog closed.
class ProposedFolder : public IFileDialogEvents {
 public:
  ProposedFolder(std::string path, std::string name) : path_(std::move(path)), name_(std::move(name)) {}
  const std::optional<std::string>& Accepted() const { return accepted_; }

  HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog* dialog, IShellItem* folder) override {
    wchar_t* typed = nullptr;
    const bool nameKept = SUCCEEDED(dialog->GetFileName(&typed)) && typed != nullptr &&
                          lstrcmpiW(typed, WideFromAnsi(name_).c_str()) == 0;
    CoTaskMemFree(typed);
    if (!nameKept || lstrcmpiW(FileSystemPath(folder).c_str(), WideFromAnsi(path_).c_str()) != 0) return S_OK;
    accepted_ = path_;
    // Closed as cancelled, so that the dialog itself returns nothing.
    dialog->Close(HRESULT_FROM_WIN32(ERROR_CANCELLED));
    return E_ABORT;
  }

  // The dialog holds this object only while it runs, inside its owner's scope.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IFileDialogEvents) {
      *object = static_cast<IFileDialogEvents*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override { return S_OK; }

 private:
  std::string path_, name_;
  std::optional<std::string> accepted_;
};

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void SetFileTypes(IFileDialog* dialog, const std::string& filter) {
  std::vector<std::pair<std::wstring, std::wstring>> texts;
  for (const FilterEntry& entry : ParseFilter(filter)) {
    std::string patterns;
    for (std::size_t i = 0; i < entry.patterns.size(); ++i) patterns += (i > 0 ? ";" : "") + entry.patterns[i];
    texts.emplace_back(WideFromProgramText(entry.description), WideFromProgramText(patterns));
  }
  if (texts.empty()) return;
  std::vector<COMDLG_FILTERSPEC> specs;
  for (const auto& [name, patterns] : texts) specs.push_back({name.c_str(), patterns.c_str()});
  dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
  dialog->SetFileTypeIndex(1);
}

// The Vista dialog: unlike the older one, it opens in the folder it is given
// every time, where the older one opens the folder that the program last used
// it in (Windows 7 and later) whatever the program asks.
std::optional<std::string> RunDialog(bool save, HWND owner, const FileDialogSettings& settings) {
  IFileDialog* created = nullptr;
  if (FAILED(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&created)))) {
    return std::nullopt;
  }
  ComObject<IFileDialog> dialog(created);
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  // The operations replace what the user names, and a name typed in the open
  // dialog is checked by the program, as the older dialog let it be.
  options &= ~static_cast<FILEOPENDIALOGOPTIONS>(FOS_OVERWRITEPROMPT | FOS_FILEMUSTEXIST | FOS_NOREADONLYRETURN);
  options |= FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR | FOS_PATHMUSTEXIST;
  dialog->SetOptions(options);
  if (!settings.title.empty()) dialog->SetTitle(WideFromProgramText(settings.title).c_str());
  SetFileTypes(dialog.get(), settings.filter);
  const std::string extension = DefaultSuffix(settings.defaultExtension);
  if (!extension.empty()) dialog->SetDefaultExtension(WideFromAnsi(extension).c_str());

  // A proposal that names a path opens in its folder, with its name in the box.
  const bool hasFolder = settings.fileName.find('\\') != std::string::npos;
  const std::string folder = hasFolder ? Path(settings.fileName) : settings.initialFolder;
  const std::string name = hasFolder ? settings.fileName.substr(Path(settings.fileName).size()) : settings.fileName;
  if (const ComObject<IShellItem> item = ShellItem(folder)) dialog->SetFolder(item.get());
  if (!name.empty()) dialog->SetFileName(WideFromAnsi(name).c_str());

  ProposedFolder proposed(settings.fileName, name);
  DWORD cookie = 0;
  const bool watched = save && !name.empty() && IsFolder(settings.fileName) && SUCCEEDED(dialog->Advise(&proposed, &cookie));
  HRESULT shown = E_FAIL;
  {
    BusyScope busy;
    ModalScope modal(owner);
    shown = dialog->Show(owner);
  }
  if (watched) dialog->Unadvise(cookie);
  if (proposed.Accepted()) return proposed.Accepted();
  IShellItem* result = nullptr;
  if (FAILED(shown) || FAILED(dialog->GetResult(&result))) return std::nullopt;
  const ComObject<IShellItem> chosen(result);
  return CheckedAnsiFromWide(FileSystemPath(chosen.get()));
}

}  // namespace

std::optional<std::string> RunOpenDialog(HWND owner, const FileDialogSettings& settings) {
  return RunDialog(false, owner, settings);
}

std::optional<std::string> RunSaveDialog(HWND owner, const FileDialogSettings& settings) {
  return RunDialog(true, owner, settings);
}

}  // namespace skarvel::ui::win32
