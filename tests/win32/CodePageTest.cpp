// On Windows the program's bytes are the system's code page: the names it makes
// are the system's names for them, a name the code page cannot hold exactly is
// refused rather than replaced by a look-alike, and lower-casing is the system's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "support/TempDir.h"
#include "win32/Win32TestSupport.h"

namespace skarvel {
namespace {

std::vector<std::wstring> WideNamesIn(const std::string& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((test::WideName(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

TEST(Win32CodePageTest, TheProgramsNamesAreTheSystemsCodePage) {
  test::TempDir dir;
  const std::string name = "caf\xE9 \x80.txt";
  File::Create(dir.Native(name)).Close();
  EXPECT_EQ(WideNamesIn(dir.native()), std::vector<std::wstring>{test::WideName(name)});
  if (GetACP() == 1252) {
    EXPECT_EQ(WideNamesIn(dir.native())[0], L"caf\u00E9 \u20AC.txt");
  }
  std::vector<std::string> found;
  for (const DirectoryEntry& entry : SearchDirectory(dir.internal(), "*.*")) {
    if (entry.name != "." && entry.name != "..") found.push_back(entry.name);
  }
  EXPECT_EQ(found, std::vector<std::string>{name});
}

// The ANSI functions would give "?" for these, or a look-alike that names
// another file ("A" for the A with a macron) or another folder (a full-width
// backslash becomes "\").
class Win32UnheldNameTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(Win32UnheldNameTest, TheDirectorySearchRefusesIt) {
  test::TempDir dir;
  ASSERT_TRUE(test::CreateWideFile(test::WideName(dir.native()) + L"\\" + GetParam()));
  try {
    SearchDirectory(dir.internal(), "*.*");
    FAIL() << "accepted";
  } catch (const RefusedError& error) {
    const std::string text = error.what();
    EXPECT_NE(text.find(dir.internal()), std::string::npos) << text;
    EXPECT_NE(text.find("code page (" + std::to_string(GetACP()) + ")"), std::string::npos) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Names, Win32UnheldNameTest,
                         ::testing::Values(L"\u4E2D.txt", L"A\u0100.txt", L"a\uFF3C..\uFF3Cb.txt", L"\U0001F600"));

// Names match the same on Windows as on POSIX, where the code page is fixed.
TEST(Win32CodePageTest, LowerCasingUnder1252IsTheSameAsOnPosix) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's code page is " << GetACP();
  EXPECT_EQ(ToLowerCp1252("C:\\GP4\\Maps\\\xC9T\xC9\x8A\x9F.DAT"), "c:\\gp4\\maps\\\xE9t\xE9\x9A\xFF.dat");
}

}  // namespace
}  // namespace skarvel
