#include "ui/win32/shell/ShellNamespace.h"

#include <algorithm>
#include <optional>

#include <shlwapi.h>

#include "host/platform/win32/CodePage.h"

namespace skarvel::ui::win32 {

IdList CloneIdList(PCIDLIST_ABSOLUTE list) { return IdList(ILClone(list)); }

IdList CombineIdLists(PCIDLIST_ABSOLUTE parent, PCUIDLIST_RELATIVE child) { return IdList(ILCombine(parent, child)); }

IdList DesktopIdList() {
  PIDLIST_ABSOLUTE desktop = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop))) return nullptr;
  return IdList(desktop);
}

ComPtr<IShellFolder> DesktopFolder() {
  ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(&desktop);
  return desktop;
}

ComPtr<IShellFolder> FolderOf(PCIDLIST_ABSOLUTE item) {
  ComPtr<IShellFolder> desktop = DesktopFolder();
  if (desktop == nullptr || item == nullptr || ILIsEmpty(item)) return desktop;
  ComPtr<IShellFolder> folder;
  if (FAILED(desktop->BindToObject(item, nullptr, IID_PPV_ARGS(&folder)))) return nullptr;
  return folder;
}

ComPtr<IShellFolder> ParentOf(PCIDLIST_ABSOLUTE item, PCUITEMID_CHILD& last) {
  ComPtr<IShellFolder> parent;
  last = nullptr;
  if (FAILED(SHBindToParent(item, IID_PPV_ARGS(&parent), &last))) return nullptr;
  return parent;
}

int CompareInFolder(IShellFolder& folder, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
  const HRESULT order = folder.CompareIDs(0, a, b);
  return FAILED(order) ? 0 : static_cast<short>(HRESULT_CODE(order));
}

std::vector<IdList> ChildFolders(IShellFolder& folder, HWND owner) {
  std::vector<IdList> children;
  ComPtr<IEnumIDList> items;
  // S_FALSE without an enumerator: nothing to list.
  if (folder.EnumObjects(owner, SHCONTF_FOLDERS, &items) != S_OK || items == nullptr) return children;
  PITEMID_CHILD child = nullptr;
  while (items->Next(1, &child, nullptr) == S_OK) {
    IdList owned(child);
    if ((AttributesOf(folder, child, SFGAO_STREAM) & SFGAO_STREAM) != 0) continue;
    children.push_back(std::move(owned));
  }
  // Stable: a shell whose order is not a strict one cannot lead the sort astray.
  std::stable_sort(children.begin(), children.end(), [&folder](const IdList& a, const IdList& b) {
    return CompareInFolder(folder, a.get(), b.get()) < 0;
  });
  return children;
}

std::wstring NameOf(IShellFolder& parent, PCUITEMID_CHILD child, SHGDNF flags) {
  STRRET name{};
  if (FAILED(parent.GetDisplayNameOf(child, flags, &name))) return {};
  LPWSTR text = nullptr;
  if (FAILED(StrRetToStrW(&name, child, &text))) return {};
  std::wstring result = text;
  CoTaskMemFree(text);
  return result;
}

SFGAOF AttributesOf(IShellFolder& parent, PCUITEMID_CHILD child, SFGAOF mask) {
  SFGAOF attributes = mask;
  if (FAILED(parent.GetAttributesOf(1, &child, &attributes))) return 0;
  return attributes & mask;
}

ShellIcons IconsOf(PCIDLIST_ABSOLUTE item) {
  ShellIcons icons;
  SHFILEINFOW info{};
  const UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info, flags)) icons.normal = info.iIcon;
  icons.open = icons.normal;
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info, flags | SHGFI_OPENICON)) {
    icons.open = info.iIcon;
  }
  return icons;
}

HIMAGELIST SystemSmallIcons() {
  SHFILEINFOW info{};
  IdList desktop = DesktopIdList();
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktop.get()), 0, &info, sizeof info,
                                                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item) {
  wchar_t path[MAX_PATH] = L"";
  if (!SHGetPathFromIDListW(item, path)) return {};
  return path;
}

std::string FolderValue(PCIDLIST_ABSOLUTE item) {
  std::wstring path = FileSystemPath(item);
  const bool onDisk = !path.empty();
  if (!onDisk) {
    ComPtr<IShellFolder> desktop = DesktopFolder();
    if (desktop == nullptr) return {};
    path = NameOf(*desktop.Get(), item, SHGDN_FORPARSING);
  }
  // A drive's root too: "C:", to which the program adds its own "\".
  if (path.size() > 1 && path.back() == L'\\') path.pop_back();
  if (std::optional<std::string> exact = AnsiFromWide(path)) return *exact;
  if (!onDisk) return {};
  std::wstring shortPath(MAX_PATH, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  shortPath.resize(length);
  return AnsiFromWide(shortPath).value_or(std::string());
}

}  // namespace skarvel::ui::win32
