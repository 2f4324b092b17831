#include "app/ProgramArguments.h"

#ifdef _WIN32
#include <windows.h>

#include "app/CommandLine.h"
#else
#include "host/Encoding.h"
#include "host/Errors.h"
#endif

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
  std::vector<std::string> words;
#ifdef _WIN32
  const std::vector<std::string> all = SplitCommandLine(GetCommandLineA());
  words.assign(all.begin() + (all.empty() ? 0 : 1), all.end());
#else
  try {
    for (int i = 1; i < argc; ++i) words.push_back(FromDisplayText(argv[i]));
  } catch (const Error& error) {
    if (argc != 2 || loneWordRefusal == nullptr) throw;
    *loneWordRefusal = error.what();
    words.clear();
  }
#endif
  NameFilesWithBackslashes(words);
  return words;
}

}  // namespace skarvel::app
