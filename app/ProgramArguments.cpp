#include "app/ProgramArguments.h"

#ifdef _WIN32
#include <windows.h>

#include "app/CommandLine.h"
#include "host/platform/win32/CodePage.h"
#else
#include "host/Encoding.h"
#endif
#include "host/Errors.h"

namespace skarvel::app {

namespace {

std::string WithBackslashes(std::string word) {
  for (char& c : word) {
    if (c == '/') c = '\\';
  }
  return word;
}

// Only the words that name files take "/" for "\": a lone word (a file handed
// over by "Open with"), the archive and the subfolder. The mode word and the
// step words count only exactly as written, so "/1wad" is no "\1wad".
void NameFilesWithBackslashes(std::vector<std::string>& words) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words.size() == 1 || i == 1 || i == 2) words[i] = WithBackslashes(std::move(words[i]));
  }
}

}  // namespace

std::vector<std::string> ProgramArguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv,
                                          [[maybe_unused]] std::string* loneWordRefusal) {
  // The words as given, in a form that holds every character.
#ifdef _WIN32
  // Read in UTF-16 and split in UTF-8, whose multi-byte characters hold no
  // blank and no quote: the ANSI command line would have put a look-alike in
  // place of a letter the code page cannot hold ("A" for a Latin A with macron).
  std::vector<std::string> given = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
  if (!given.empty()) given.erase(given.begin());
  const auto internal = [](const std::string& word) { return CheckedAnsiFromWide(WideFromUtf8(word)); };
#else
  std::vector<std::string> given(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const auto internal = [](const std::string& word) { return FromDisplayText(word); };
#endif
  std::vector<std::string> words;
  try {
    for (const std::string& word : given) words.push_back(internal(word));
  } catch (const Error& error) {
    if (given.size() != 1 || loneWordRefusal == nullptr) throw;
    *loneWordRefusal = error.what();
    words.clear();
  }
  NameFilesWithBackslashes(words);
  return words;
}

}  // namespace skarvel::app
