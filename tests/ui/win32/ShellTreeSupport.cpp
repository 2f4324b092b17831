#include "ShellTreeSupport.h"

#include <shlwapi.h>

#include "host/platform/win32/CodePage.h"
#include "ui/win32/controls/Container.h"

namespace skarvel::test {

using ui::win32::ComPtr;

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (ui::win32::HandleFormKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  while (!done()) {
    if (GetTickCount64() > end) return false;
    PumpMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(int milliseconds) { PumpUntil([] { return false; }, milliseconds); }

IdList ParsedIdList(const std::string& path) { return ParsedIdList(WideFromAnsi(path)); }

IdList ParsedIdList(std::wstring path) {
  PIDLIST_RELATIVE list = nullptr;
  if (FAILED(ui::win32::DesktopFolder()->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, &list, nullptr))) {
    return nullptr;
  }
  return IdList(list);
}

IdList SpecialFolder(int csidl) {
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list))) return nullptr;
  return IdList(list);
}

HTREEITEM ExpandTo(ShellFolderTree& tree, PCIDLIST_ABSOLUTE folder) {
  auto& view = tree.View();
  HTREEITEM item = view.Root();
  while (item != nullptr && !ILIsEqual(tree.IdListOf(item), folder)) {
    view.Expand(item);
    HTREEITEM child = view.FirstChild(item);
    while (child != nullptr && !ILIsEqual(tree.IdListOf(child), folder) &&
           !ILIsParent(tree.IdListOf(child), folder, FALSE)) {
      child = view.NextSibling(child);
    }
    item = child;
  }
  return item;
}

HTREEITEM ExpandTo(ShellFolderTree& tree, const std::string& path) {
  IdList folder = ParsedIdList(path);
  return folder == nullptr ? nullptr : ExpandTo(tree, folder.get());
}

std::vector<std::wstring> ChildLabels(const ShellFolderTree& tree, HTREEITEM item) {
  std::vector<std::wstring> labels;
  for (HTREEITEM child = tree.View().FirstChild(item); child != nullptr; child = tree.View().NextSibling(child)) {
    labels.push_back(tree.View().Label(child));
  }
  return labels;
}

HTREEITEM ChildLabelled(const ShellFolderTree& tree, HTREEITEM item, const std::wstring& label) {
  HTREEITEM child = tree.View().FirstChild(item);
  while (child != nullptr && tree.View().Label(child) != label) child = tree.View().NextSibling(child);
  return child;
}

std::wstring ShellName(PCIDLIST_ABSOLUTE item) {
  ComPtr<IShellFolder> parent;
  PCUITEMID_CHILD last = nullptr;
  STRRET name{};
  LPWSTR text = nullptr;
  if (FAILED(SHBindToParent(item, IID_PPV_ARGS(&parent), &last)) ||
      FAILED(parent->GetDisplayNameOf(last, SHGDN_INFOLDER, &name)) || FAILED(StrRetToStrW(&name, last, &text))) {
    return L"(no name)";
  }
  std::wstring result = text;
  CoTaskMemFree(text);
  return result;
}

int ShellIcon(PCIDLIST_ABSOLUTE item) {
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

std::vector<std::wstring> ShellSubfolderNames(PCIDLIST_ABSOLUTE folder) {
  std::vector<std::wstring> names;
  ComPtr<IShellFolder> desktop = ui::win32::DesktopFolder();
  ComPtr<IShellFolder> shell = desktop;
  if (!ILIsEmpty(folder) && FAILED(desktop->BindToObject(folder, nullptr, IID_PPV_ARGS(&shell)))) return names;
  ComPtr<IEnumIDList> items;
  if (shell->EnumObjects(nullptr, SHCONTF_FOLDERS, &items) != S_OK) return names;
  PITEMID_CHILD child = nullptr;
  while (items->Next(1, &child, nullptr) == S_OK) {
    IdList absolute(ILCombine(folder, child));
    CoTaskMemFree(child);
    names.push_back(ShellName(absolute.get()));
  }
  return names;
}

void PressKey(UINT key) {
  PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
  PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
  PumpMessages();
}

}  // namespace skarvel::test
