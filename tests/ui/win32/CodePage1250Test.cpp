// The program for a player whose Windows uses the ANSI code page 1250 (Polish,
// Czech, Hungarian): the runtime's French, written in Windows-1252, still reads
// right, a name with a letter of 1250 ("Ł") names its file, and one with a
// letter that 1250 lacks ("Ā", "Ω") is refused. Run by the test
// test_ui_win32_cp1250; elsewhere the cases skip.
#include <gtest/gtest.h>

#include <string>

#include "host/Errors.h"
#include "host/platform/win32/CodePage.h"
#include "support/win32/WindowProbe.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/MessageBoxes.h"

namespace skarvel::ui::win32 {
namespace {

class CodePage1250 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetACP() != 1250) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1250";
  }
};

std::wstring boxText;

BOOL CALLBACK ReadBoxText(HWND child, LPARAM) {
  char name[16] = "";
  GetClassNameA(child, name, sizeof name);
  if (std::string(name) != "Static") return TRUE;
  wchar_t text[256] = L"";
  // WM_GETTEXT in UTF-16: what the box shows.
  SendMessageW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  if (text[0] != L'\0') boxText = text;
  return TRUE;
}

void CALLBACK CloseTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
  for (HWND window : test::TopLevelWindows(GetCurrentProcessId())) {
    if (test::ClassNameOf(window) != "#32770") continue;
    EnumChildWindows(window, ReadBoxText, 0);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    KillTimer(nullptr, timer);
  }
}

TEST_F(CodePage1250, TheRuntimesFrenchReadsRightInABox) {
  boxText.clear();
  SetTimer(nullptr, 0, 100, CloseTheBox);
  ShowErrorBox(nullptr, IoError::TextFor(5));
  EXPECT_EQ(boxText, L"Acc\u00E8s au fichier refus\u00E9");
}

TEST_F(CodePage1250, ANameIsTakenOnlyWhenTheCodePageHoldsIt) {
  MainWindow window;
  const HWND edit = window.LMDFile2().TextEdit().Handle();
  SetWindowTextW(edit, L"C:\\GP4\\\u0141\u00F3d\u017A.wad");  // "Łódź", all in 1250
  EXPECT_EQ(window.ArchiveText(), "C:\\GP4\\\xA3\xF3\x64\x9F.wad");
  for (const wchar_t* name : {L"C:\\GP4\\\u0100monza2001.wad", L"C:\\GP4\\\u03A9.wad"}) {
    SetWindowTextW(edit, name);
    EXPECT_THROW(window.ArchiveText(), RefusedError);
  }
}

}  // namespace
}  // namespace skarvel::ui::win32
