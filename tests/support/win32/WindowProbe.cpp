#include "support/win32/WindowProbe.h"

#include <commctrl.h>

#include <thread>

namespace skarvel::test {

std::string WindowText(HWND window) {
  // WM_GETTEXT, which the system carries across processes; the answer of a
  // window that hangs is not waited for long.
  char buffer[4096] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  return std::string(buffer, static_cast<std::size_t>(copied));
}

std::string ClassNameOf(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

namespace {

// Callbacks of the system's calling convention, which a lambda does not have
// on 32-bit Windows.
BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

struct ProcessSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK AddVisibleWindowOfProcess(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ProcessSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> found;
  EnumChildWindows(window, AddWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  ProcessSearch search{processId, {}};
  EnumWindows(AddVisibleWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const std::function<HWND()>& find, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (HWND window = find()) return window;
    if (std::chrono::steady_clock::now() > deadline) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

HWND FindTopLevel(DWORD processId, const std::string& caption) {
  for (HWND window : TopLevelWindows(processId)) {
    if (WindowText(window) == caption) return window;
  }
  return nullptr;
}

HWND FindControl(HWND window, const std::string& className, const std::string& text) {
  for (HWND child : Descendants(window)) {
    if (ClassNameOf(child) == className && (text.empty() || WindowText(child) == text)) return child;
  }
  return nullptr;
}

HWND WaitForBox(DWORD processId, std::chrono::milliseconds timeout) {
  return WaitForWindow(
      [processId]() -> HWND {
        for (HWND window : TopLevelWindows(processId)) {
          if (ClassNameOf(window) == "#32770") return window;
        }
        return nullptr;
      },
      timeout);
}

BoxContents ReadBox(HWND box) {
  BoxContents contents;
  contents.title = WindowText(box);
  for (HWND child : Descendants(box)) {
    const std::string className = ClassNameOf(child);
    if (className == "Button" && IsWindowVisible(child)) {
      contents.buttons.push_back(WindowText(child));
    } else if (className == "Static") {
      // The icon is a static of its own; the text is the one that holds text.
      if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        contents.hasIcon = contents.hasIcon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
      } else if (contents.text.empty()) {
        contents.text = WindowText(child);
      }
    }
  }
  return contents;
}

bool PressButton(HWND window, const std::string& caption) {
  HWND button = FindControl(window, "Button", caption);
  if (button == nullptr) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

int ListViewRowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListViewText(HWND list, int row, int column) {
  // The list view reads and writes the item through a pointer: in another
  // process that memory must be the other process's.
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return {};
  constexpr int kRoom = 1024;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kRoom, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::string text;
  if (remote != nullptr) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = kRoom;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    const auto length = static_cast<int>(
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote)));
    char buffer[kRoom] = {};
    ReadProcessMemory(process, remote + sizeof(LVITEMA), buffer, kRoom, nullptr);
    text.assign(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

}  // namespace skarvel::test
