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

}  // namespace

std::vector<std::string> ProgramArguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv,
                                          [[maybe_unused]] std::string* loneWordRefusal) {
  std::vector<std::string> words;
#ifdef _WIN32
  const std::vector<std::string> all = SplitCommandLine(GetCommandLineA());
  for (std::size_t i = 1; i < all.size(); ++i) words.push_back(WithBackslashes(all[i]));
#else
  try {
    for (int i = 1; i < argc; ++i) words.push_back(WithBackslashes(FromDisplayText(argv[i])));
  } catch (const Error& error) {
    if (argc != 2 || loneWordRefusal == nullptr) throw;
    *loneWordRefusal = error.what();
    words.clear();
  }
#endif
  return words;
}

}  // namespace skarvel::app
