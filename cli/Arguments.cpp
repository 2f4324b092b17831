#include "cli/Arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace skarvel::cli {

const char kUsage[] =
    "usage: skarvel-cli list ARCHIVE [--json]\n"
    "       skarvel-cli extract ARCHIVE FOLDER\n"
    "       skarvel-cli extract-one ARCHIVE INDEX FILE\n"
    "       skarvel-cli create FOLDER ARCHIVE\n"
    "       skarvel-cli update ARCHIVE SOURCE [--dry-run] [--no-history]\n"
    "       skarvel-cli update-tracks SOURCE [--game-folder FOLDER] [--dry-run] [--no-history]\n"
    "       skarvel-cli verify ARCHIVE [--json]\n"
    "       skarvel-cli history ARCHIVE [--json]\n"
    "       skarvel-cli history --game-folder FOLDER [--json]\n"
    "       skarvel-cli restore ARCHIVE [--before N | --original] [--dry-run]\n"
    "       skarvel-cli restore --package FOLDER [--dry-run]\n"
    "       skarvel-cli forget ARCHIVE\n"
    "       skarvel-cli --help | --version\n"
    "Every command takes --quiet (no closing caption on stderr). Paths are native paths;\n"
    "\"--\" ends the options.\n";

const char kVersionText[] = "skarvel-cli 3.3";

namespace {

struct CommandShape {
  std::string_view word;
  Command command;
  std::size_t operands;
  bool takesJson;
  bool takesDryRun;
  bool takesGameFolder;
  bool takesHistoryOptions = false;  // update: --no-history; restore: --before, --original, --package
};

constexpr std::array<CommandShape, 10> kCommands = {{
    {"list", Command::List, 1, true, false, false},
    {"extract", Command::Extract, 2, false, false, false},
    {"extract-one", Command::ExtractOne, 3, false, false, false},
    {"create", Command::Create, 2, false, false, false},
    {"update", Command::Update, 2, false, true, false, true},
    {"update-tracks", Command::UpdateTracks, 1, false, true, true, true},
    {"verify", Command::Verify, 1, true, false, false},
    {"history", Command::History, 1, true, false, true},
    {"restore", Command::Restore, 1, false, true, false, true},
    {"forget", Command::Forget, 1, false, false, false},
}};

// The patch number of --before: 1 or more.
std::size_t PatchNumber(const std::string& text) {
  std::size_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9' || value > 1000000000) throw UsageError("--before needs a patch number (1, 2, ...)");
    value = value * 10 + static_cast<std::size_t>(c - '0');
  }
  if (text.empty() || value == 0) throw UsageError("--before needs a patch number (1, 2, ...)");
  return value;
}

const CommandShape& ShapeOf(const std::string& word) {
  auto it = std::find_if(kCommands.begin(), kCommands.end(), [&](const CommandShape& s) { return s.word == word; });
  if (it == kCommands.end()) throw UsageError("unknown command \"" + word + "\"");
  return *it;
}

void RefuseOption(const CommandShape& shape, const std::string& option) {
  throw UsageError(std::string(shape.word) + " does not take " + option);
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
  if (words.empty()) throw UsageError("no command given");
  Arguments args;
  if (words[0] == "--help" || words[0] == "-h" || words[0] == "--version") {
    if (words.size() != 1) throw UsageError(words[0] + " takes nothing after it");
    args.command = words[0] == "--version" ? Command::Version : Command::Help;
    return args;
  }
  const CommandShape& shape = ShapeOf(words[0]);
  args.command = shape.command;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      args.operands.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "--quiet") {
      args.quiet = true;
    } else if (word == "--json") {
      if (!shape.takesJson) RefuseOption(shape, word);
      args.json = true;
    } else if (word == "--dry-run") {
      if (!shape.takesDryRun) RefuseOption(shape, word);
      args.dryRun = true;
    } else if (word == "--game-folder") {
      if (!shape.takesGameFolder) RefuseOption(shape, word);
      if (args.gameFolder) throw UsageError("--game-folder given twice");
      if (++i == words.size()) throw UsageError("--game-folder needs a folder");
      if (words[i].empty()) throw UsageError("--game-folder needs a folder");
      args.gameFolder = words[i];
    } else if (word == "--no-history" && shape.takesHistoryOptions && shape.command != Command::Restore) {
      args.noHistory = true;
    } else if ((word == "--before" || word == "--package") && shape.command == Command::Restore) {
      if (++i == words.size() || words[i].empty()) throw UsageError(word + " needs a value");
      if (word == "--before") args.before = PatchNumber(words[i]);
      if (word == "--package") args.package = words[i];
    } else if (word == "--original" && shape.command == Command::Restore) {
      args.original = true;
    } else if (word == "--no-history" || word == "--before" || word == "--package" || word == "--original") {
      RefuseOption(shape, word);
    } else {
      throw UsageError("unknown option \"" + word + "\"");
    }
  }
  if (static_cast<int>(args.before.has_value()) + args.original + args.package.has_value() > 1) {
    throw UsageError("restore takes one of --before, --original and --package");
  }
  // A whole game folder's history, or a package's patches, name no archive.
  const std::size_t operands =
      (shape.command == Command::History && args.gameFolder) || args.package ? 0 : shape.operands;
  if (args.operands.size() != operands) {
    throw UsageError(std::string(shape.word) + " takes " + std::to_string(operands) +
                     (operands == 1 ? " operand" : " operands") + ", not " +
                     std::to_string(args.operands.size()));
  }
  for (const std::string& operand : args.operands) {
    if (operand.empty()) throw UsageError("an empty operand names nothing");
  }
  return args;
}

}  // namespace skarvel::cli
