// The program's words on Windows as a package's command line gives them: the
// test program starts itself with a raw command line, and the copy writes the
// words it received to a file and ends before any test runs.
#ifdef _WIN32
#include "app/ProgramArguments.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/platform/win32/CodePage.h"
#include "support/TempDir.h"

namespace skarvel::app {
namespace {

constexpr char kWordsFileVariable[] = "SKARVEL_TEST_WORDS_TO";

const bool kWordPrinter = [] {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kWordsFileVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::ofstream out(path, std::ios::binary);
  try {
    for (const std::string& word : ProgramArguments(0, nullptr)) out << word << '\n';
  } catch (const std::exception&) {
    out << "(refused)\n";
  }
  out.close();
  ExitProcess(0);
}();

std::vector<std::string> WordsOfACopyStartedWith(const std::string& tail, const test::TempDir& dir) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  EXPECT_TRUE(length > 0 && length < MAX_PATH);
  // Started through the wide function: the tail (UTF-8 here) may hold letters
  // that the code page cannot.
  std::wstring commandLine = L"\"" + WideFromAnsi(std::string(self, length)) + L"\" " + WideFromUtf8(tail);
  const std::string wordsFile = dir.Native("words.txt");
  SetEnvironmentVariableA(kWordsFileVariable, wordsFile.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(WideFromAnsi(self).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableA(kWordsFileVariable, nullptr);
  EXPECT_TRUE(started) << GetLastError();
  if (!started) return {};
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::vector<std::string> words;
  std::ifstream in(wordsFile, std::ios::binary);
  for (std::string word; std::getline(in, word);) words.push_back(word);
  return words;
}

TEST(ProgramArguments, APackagesCommandLineArrivesAsTheRuntimeSplitsIt) {
  struct Case {
    const char* tail;
    std::vector<std::string> words;
  };
  const std::vector<Case> cases = {
      // The C runtime would read "\"" as a quote inside the word and join the rest.
      {R"(\1wad "C:\GP4 mods\" cars.wad)", {R"(\1wad)", R"(C:\GP4 mods\)", "cars.wad"}},
      {R"(\1wad data/cars.wad sub\ \Start)", {R"(\1wad)", R"(data\cars.wad)", R"(sub\)", R"(\Start)"}},
      // Only the words that name files take "/" for "\".
      {R"(/1wad data/cars.wad sub/x /Start)", {R"(/1wad)", R"(data\cars.wad)", R"(sub\x)", R"(/Start)"}},
      {R"(C:/mods/cars.wad)", {R"(C:\mods\cars.wad)"}},
      // A letter the code page cannot hold is refused, not read as "A".
      {"\\1wad \xC4\x80monza2001.wad", {"(refused)"}},
      {R"("C:\a b\\" x)", {R"(C:\a b\\)", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    test::TempDir dir;
    EXPECT_EQ(WordsOfACopyStartedWith(c.tail, dir), c.words);
  }
}

}  // namespace
}  // namespace skarvel::app
#endif
