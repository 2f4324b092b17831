// The patch history window on Windows, reached from the main window in each of
// its three ways: Ctrl+H wherever the focus is (the archive edit included,
// which must not take it for a backspace), the system menu, and the list's
// menu. The window is found open by a timer in its own message loop, read, and
// closed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ShellTreeSupport.h"
#include "archive/AppState.h"
#include "support/ScratchRegistry.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "support/win32/WindowProbe.h"
#include "ui/WadUnit.h"
#include "ui/win32/MainWindow.h"

namespace skarvel::ui::win32 {
namespace {

struct Seen {
  int opened = 0;
  std::string caption, how;
  int rows = -1;
} seen;

BOOL CALLBACK ReadAndCloseHistory(HWND window, LPARAM) {
  if (!IsWindowVisible(window) || test::WindowText(window).rfind("Patch history - ", 0) != 0) return TRUE;
  ++seen.opened;
  seen.caption = test::WindowText(window);
  HWND list = test::FindControl(window, "SysListView32");
  seen.rows = test::ListViewRowCount(list);
  seen.how = test::ListViewText(list, 0, 1);
  PostMessageA(window, WM_CLOSE, 0, 0);
  return FALSE;
}

void CALLBACK LookForHistory(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), ReadAndCloseHistory, 0);
  if (seen.opened > 0) KillTimer(nullptr, timer);
}

void SetControlKey(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST(PatchHistoryWindowTest, OpensFromCtrlHWhereverTheFocusIsFromTheSystemMenuAndFromTheListsMenu) {
  test::TempDir dir;
  test::WriteNativeFile(dir.Native("a.wad"), test::PackedWad({{"x.bin", "x"}}));
  test::WriteNativeFile(dir.Native("src\\x.bin"), "new");
  AppState state(test::ScratchRegistry(dir));
  state.history.emplace(dir.Internal("history"));
  MainWindow window;
  TForm1 form(state, window);
  window.Bind(form);
  window.ShowCentred();
  window.LMDFile1().TextEdit().SetText(dir.Internal("src\\x.bin"));
  window.LMDFile2().TextEdit().SetText(dir.Internal("a.wad"));
  window.BtnUpdate1Wad().Click();

  const std::pair<const char*, std::function<void()>> openings[] = {
      {"Ctrl+H in the archive edit",
       [&] {
         SetFocus(window.LMDFile2().TextEdit().Handle());
         SetControlKey(true);
         PostMessageA(GetFocus(), WM_KEYDOWN, 'H', 1);
         PostMessageA(GetFocus(), WM_KEYUP, 'H', 0xC0000001);
         test::PumpMessages();
         SetControlKey(false);
       }},
      {"the system menu", [&] { SendMessageA(window.Handle(), WM_SYSCOMMAND, MainWindow::kPatchHistoryItem, 0); }},
      {"the list's menu",
       [&] {
         // Waiting in the queue for the menu's own loop: its first item, chosen.
         PostMessageA(window.Handle(), WM_KEYDOWN, VK_DOWN, 1);
         PostMessageA(window.Handle(), WM_KEYDOWN, VK_RETURN, 1);
         SendMessageA(window.LMDFiles().Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.LMDFiles().Handle()),
                      static_cast<LPARAM>(-1));
       }},
  };
  for (const auto& [how, open] : openings) {
    SCOPED_TRACE(how);
    seen = {};
    SetTimer(nullptr, 0, 50, LookForHistory);
    open();
    EXPECT_EQ(seen.opened, 1);
    EXPECT_EQ(seen.caption, "Patch history - a.wad");
    EXPECT_EQ(seen.rows, 1);
    EXPECT_EQ(seen.how, "window");
    EXPECT_EQ(window.LMDFile2().Text(), dir.Internal("a.wad")) << "a key reached the edit";
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
  }
}

}  // namespace
}  // namespace skarvel::ui::win32
