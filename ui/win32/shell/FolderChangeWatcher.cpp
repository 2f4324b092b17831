#include "ui/win32/shell/FolderChangeWatcher.h"

namespace skarvel::ui::win32 {
namespace {

// Changes this close together are one refresh.
constexpr DWORD kSettleMilliseconds = 100;

}  // namespace

FolderChangeWatcher::FolderChangeWatcher(HWND target, UINT message)
    : target_(target), message_(message), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

FolderChangeWatcher::~FolderChangeWatcher() {
  Stop();
  CloseHandle(stop_);
}

void FolderChangeWatcher::Watch(const std::wstring& folder) {
  if (folder == folder_ && (thread_.joinable() || folder.empty())) return;
  Stop();
  folder_ = folder;
  if (folder.empty()) return;
  // Opened here rather than on the thread, so that a change made as soon as
  // Watch returns is seen.
  HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME);
  if (change == INVALID_HANDLE_VALUE) return;
  ResetEvent(stop_);
  thread_ = std::thread(Run, change, stop_, target_, message_);
}

void FolderChangeWatcher::Stop() {
  if (!thread_.joinable()) return;
  SetEvent(stop_);
  thread_.join();
}

void FolderChangeWatcher::Run(HANDLE change, HANDLE stop, HWND target, UINT message) {
  const HANDLE events[] = {stop, change};
  while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    if (WaitForSingleObject(stop, kSettleMilliseconds) == WAIT_OBJECT_0) break;
    PostMessageA(target, message, 0, 0);
    if (!FindNextChangeNotification(change)) break;
  }
  FindCloseChangeNotification(change);
}

}  // namespace skarvel::ui::win32
