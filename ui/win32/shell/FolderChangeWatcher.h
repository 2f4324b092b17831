#pragma once
// Watches one folder on disk (not the folders below it) for folders that
// appear in it, go or are renamed, on a thread of its own that only posts a
// message to a window: whatever the message asks for runs on the window's
// thread, between its events. The system's own change notification
// (FindFirstChangeNotification), which sees changes made by any program;
// Wine's SHChangeNotifyRegister sees only those made through its shell.
#include <string>
#include <thread>

#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

class FolderChangeWatcher {
 public:
  // A change posts message to target, with wParam 0 and lParam 0; a burst of
  // changes (a copy of many folders) posts once, or a few times.
  FolderChangeWatcher(HWND target, UINT message);
  // Stops the thread and waits for it.
  ~FolderChangeWatcher();
  FolderChangeWatcher(const FolderChangeWatcher&) = delete;
  FolderChangeWatcher& operator=(const FolderChangeWatcher&) = delete;

  // Watches folder from now on instead of the one before; the empty text, or a
  // folder the system cannot watch, watches nothing.
  void Watch(const std::wstring& folder);
  const std::wstring& Folder() const { return folder_; }

 private:
  void Stop();
  static void Run(HANDLE change, HANDLE stop, HWND target, UINT message);

  HWND target_;
  UINT message_;
  HANDLE stop_;
  std::wstring folder_;
  std::thread thread_;
};

}  // namespace skarvel::ui::win32
