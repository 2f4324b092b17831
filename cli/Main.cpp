// skarvel-cli: the desktop program's archive operations for scripts.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"

int main(int argc, char** argv) {
  using namespace skarvel::cli;
  const std::vector<std::string> words(argv + 1, argv + argc);
  try {
    return RunCommand(ParseArguments(words), std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
  } catch (const UsageError& error) {
    std::cerr << "skarvel-cli: " << error.what() << "\n" << kUsage;
    return kExitUsage;
  }
}
