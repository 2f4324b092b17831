#pragma once
// The command line of skarvel-cli: its words, checked and sorted into a command,
// its operands and its options. Paths stay native here; the commands convert them.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace skarvel::cli {

enum class Command { Help, Version, List, Extract, ExtractOne, Create, Update, UpdateTracks, Verify, History, Restore, Forget };

struct Arguments {
  Command command = Command::Help;
  std::vector<std::string> operands;  // in command-line order
  bool json = false;
  bool dryRun = false;
  bool quiet = false;
  std::optional<std::string> gameFolder;
  bool noHistory = false;
  std::optional<std::size_t> before;  // restore: the oldest patch undone
  bool original = false;
  std::optional<std::string> package;
};

// A command line that names no command, or a command with the wrong words.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words after the program's name. Raises UsageError.
Arguments ParseArguments(const std::vector<std::string>& words);

// The short usage shown with --help and after a wrong command line.
extern const char kUsage[];
extern const char kVersionText[];

}  // namespace skarvel::cli
