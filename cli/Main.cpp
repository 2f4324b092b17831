// skarvel-cli: the desktop program's archive operations for scripts.
#include <unistd.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <iostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"

int main(int argc, char** argv) {
  using namespace skarvel::cli;
#ifdef _WIN32
  // Results and messages are the same bytes on every platform: no "\r" before
  // each "\n" for a script to strip.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  const std::vector<std::string> words(argv + 1, argv + argc);
  try {
    return RunCommand(ParseArguments(words), std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
  } catch (const UsageError& error) {
    std::cerr << "skarvel-cli: " << error.what() << "\n" << kUsage;
    return kExitUsage;
  }
}
