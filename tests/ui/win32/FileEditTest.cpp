// The file-name edits: what a drop from Explorer puts into them, and the open
// dialog that their browse button runs, read as the user sees it.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <thread>

#include <shlobj.h>

#include "host/Errors.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "support/win32/WindowProbe.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/controls/FileDialogs.h"

namespace skarvel::ui::win32 {
namespace {

using namespace std::chrono_literals;

// What Explorer hands over on a drop: the paths, as UTF-16, in one block.
HDROP DropOf(const std::vector<std::string>& paths) {
  std::wstring names;
  for (const std::string& path : paths) {
    names += std::wstring(path.begin(), path.end());
    names += L'\0';
  }
  names += L'\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

TEST(FileEditTest, ADropTakesOneFileAndAFolderOnlyWhereFoldersCount) {
  test::TempDir dir;
  test::WriteNativeFile(dir.Native("a.wad"), "x");
  test::WriteNativeFile(dir.Native("b.wad"), "y");
  test::WriteNativeFile(dir.Native("folder\\c.tex"), "z");
  struct Case {
    const char* name;
    bool sourceEdit;
    std::vector<std::string> dropped;
    bool taken;
  };
  const Case cases[] = {
      {"a file on the archive edit", false, {dir.Native("a.wad")}, true},
      {"a folder on the source edit", true, {dir.Native("folder")}, true},
      {"a folder on the archive edit", false, {dir.Native("folder")}, false},
      {"two files", false, {dir.Native("a.wad"), dir.Native("b.wad")}, false},
      {"a file that is gone", true, {dir.Native("gone.wad")}, false},
  };
  for (const Case& c : cases) {
    MainWindow window;
    FileEdit& edit = c.sourceEdit ? window.LMDFile1() : window.LMDFile2();
    const std::string before = edit.Text();
    int browsed = 0;
    edit.onBrowse = [&] { ++browsed; };
    SendMessageA(edit.TextEdit().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(c.dropped)), 0);
    EXPECT_EQ(edit.Text(), c.taken ? c.dropped[0] : before) << c.name;
    EXPECT_EQ(browsed, c.taken ? 1 : 0) << c.name;
  }
}

struct OpenDialogSeen {
  std::string title;
  std::vector<std::string> filters;
};

// Presses the browse button of edit; another thread reads the open dialog and
// cancels it.
OpenDialogSeen BrowseAndCancel(FileEdit& edit) {
  std::promise<OpenDialogSeen> seen;
  std::thread reader([&] {
    OpenDialogSeen dialog;
    if (HWND box = test::WaitForBox(GetCurrentProcessId(), 15s)) {
      // A busy machine may show the dialog's window before its title and
      // filters are in it.
      const HWND filled = test::WaitForWindow(
          [box]() -> HWND { return test::WindowText(box).empty() ? nullptr : box; }, 5s);
      dialog.title = filled != nullptr ? test::WindowText(box) : std::string();
      // The filter list is the dialog's combo box that lists them (cmb1).
      HWND filters = GetDlgItem(box, 0x470);
      const int count = static_cast<int>(SendMessageA(filters, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(filters, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        dialog.filters.emplace_back(text);
      }
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
    seen.set_value(dialog);
  });
  edit.BrowseButton().Click();
  reader.join();
  return seen.get_future().get();
}

// Types a bare name into the open dialog and presses Open: the dialog makes
// it a path in the folder it shows.
std::optional<std::string> OpenTyping(const std::string& folder, const std::string& name) {
  std::thread typist([&] {
    if (HWND box = test::WaitForBox(GetCurrentProcessId(), 15s)) {
      const HWND edit = test::WaitForWindow([box] { return test::FindControl(box, "Edit"); }, 5s);
      SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  });
  const auto chosen = RunOpenDialog(nullptr, {"Select a wad", "*.wad|*.wad", "", folder, ""});
  typist.join();
  return chosen;
}

// The dialog opens in the folder the program proposes, also after it was used
// in another one (Windows 7 and later would open that one with the older dialog;
// Wine remembers no folder, so there this shows only the folder being set).
TEST(FileEditTest, TheOpenDialogOpensInTheProposedFolderEveryTime) {
  test::TempDir dir;
  for (const char* folder : {"game", "other", "game"}) {
    test::WriteNativeFile(dir.Native(std::string(folder) + "\\a1ring2001.wad"), "wad");
    EXPECT_EQ(OpenTyping(dir.Native(folder), "a1ring2001.wad"),
              std::optional<std::string>(dir.Native(std::string(folder) + "\\a1ring2001.wad")))
        << folder;
  }
}

TEST(FileEditTest, TheBrowseButtonOpensTheEditsDialogAndReportsEvenWhenCancelled) {
  MainWindow window;
  window.ShowCentred();
  struct Case {
    FileEdit& edit;
    OpenDialogSeen expected;
  };
  const Case cases[] = {
      {window.LMDFile1(), {"Select a file", {"Grand Prix 4 formats", "All formats(*.*)"}}},
      {window.LMDFile2(), {"Select a wad", {"*.wad"}}},
  };
  for (const Case& c : cases) {
    int browsed = 0;
    c.edit.onBrowse = [&] { ++browsed; };
    const std::string before = c.edit.Text();
    const OpenDialogSeen seen = BrowseAndCancel(c.edit);
    EXPECT_EQ(seen.title, c.expected.title);
    EXPECT_EQ(seen.filters, c.expected.filters) << c.expected.title;
    EXPECT_EQ(browsed, 1) << c.expected.title;
    EXPECT_EQ(c.edit.Text(), before) << c.expected.title;
  }
}

}  // namespace
// Text that comes into an edit (typed or pasted) reaches the program with a
// check: a letter the code page cannot hold is refused, never read as a look-alike.
TEST(FileEditTest, ATextTheCodePageCannotHoldIsRefusedNotTakenForALookAlike) {
  MainWindow window;
  SetWindowTextW(window.LMDFile2().TextEdit().Handle(), L"C:\\GP4\\\u0100monza2001.wad");
  EXPECT_THROW(window.ArchiveText(), RefusedError);
  SetWindowTextW(window.LMDFile2().TextEdit().Handle(), L"C:\\GP4\\monza2001.wad");
  EXPECT_EQ(window.ArchiveText(), "C:\\GP4\\monza2001.wad");
}

}  // namespace skarvel::ui::win32
