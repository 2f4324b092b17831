#pragma once
// Finding and reading windows as a user sees them, for the Win32 window tests
// and the end-to-end driver: top-level windows by caption, their controls by
// class and text, the system's message boxes, and presses sent as messages.
// Works on the windows of this process (from another thread) and of another
// process alike.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skarvel::test {

std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
// Every window below window, at any depth, in the system's order.
std::vector<HWND> Descendants(HWND window);
// The visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);

// Polls until find gives a window, or the time is up (nullptr).
HWND WaitForWindow(const std::function<HWND()>& find, std::chrono::milliseconds timeout);
// A visible top-level window of the process with this caption.
HWND FindTopLevel(DWORD processId, const std::string& caption);
// A control below window of that class ("Button", "Edit", ...) and text, or
// the first of the class when text is empty.
HWND FindControl(HWND window, const std::string& className, const std::string& text = "");

// What a message box shows: its title, its text and its buttons' captions.
struct BoxContents {
  std::string title;
  std::string text;
  std::vector<std::string> buttons;
  bool hasIcon = false;
};
// A system message box (class "#32770") of the process, once one is shown.
HWND WaitForBox(DWORD processId, std::chrono::milliseconds timeout);
BoxContents ReadBox(HWND box);
// Presses the button of the window with that caption; false when there is none.
bool PressButton(HWND window, const std::string& caption);

// The text of a row and column of a list view, also of another process.
std::string ListViewText(HWND list, int row, int column);
int ListViewRowCount(HWND list);

}  // namespace skarvel::test
