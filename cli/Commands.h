#pragma once
// The commands of skarvel-cli: each sets up the terminal's window as the user
// would have set up the desktop program's, then runs the engine's own operation.
#include <ostream>

#include "cli/Arguments.h"

namespace skarvel::cli {

// Exit codes: 0 done, 1 refused or failed, 2 a wrong command line.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs the command; results go to out, messages, errors and progress to err.
// Every error ends here as its text on err and exit code 1.
int RunCommand(const Arguments& args, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace skarvel::cli
