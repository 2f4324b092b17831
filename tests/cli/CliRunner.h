#pragma once
// Runs the built skarvel-cli as a process, as a script would, and gives back
// what it printed and its exit code.
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace skarvel::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// On POSIX every run gets a configuration folder of its own (XDG_CONFIG_HOME), so
// no test can touch the user's registry files, and a test can check that nothing
// was written there. On Windows the program runs as itself (CreateProcess, from
// the fixture's folder), with the system's registry, whose settings keys are
// compared before and after instead.
class CliFixture {
 public:
  CliFixture();
  CliResult Run(const std::vector<std::string>& args) const;
  // True when the program has written nothing to its configuration folder.
  bool ConfigUntouched() const;

  TempDir dir;

 private:
  std::string config_;  // the configuration folder; on Windows the settings as they were
};

// True when the registry that skarvel-cli reads records a game folder: never on
// POSIX, where each run has a configuration folder of its own.
bool GameFolderRecordedOnThisMachine();

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace skarvel::test
