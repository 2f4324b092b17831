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
    "       skarvel-cli update ARCHIVE SOURCE [--dry-run]\n"
    "       skarvel-cli update-tracks SOURCE [--game-folder FOLDER] [--dry-run]\n"
    "       skarvel-cli verify ARCHIVE [--json]\n"
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
};

constexpr std::array<CommandShape, 7> kCommands = {{
    {"list", Command::List, 1, true, false, false},
    {"extract", Command::Extract, 2, false, false, false},
    {"extract-one", Command::ExtractOne, 3, false, false, false},
    {"create", Command::Create, 2, false, false, false},
    {"update", Command::Update, 2, false, true, false},
    {"update-tracks", Command::UpdateTracks, 1, false, true, true},
    {"verify", Command::Verify, 1, true, false, false},
}};

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
    } else {
      throw UsageError("unknown option \"" + word + "\"");
    }
  }
  if (args.operands.size() != shape.operands) {
    throw UsageError(std::string(shape.word) + " takes " + std::to_string(shape.operands) +
                     (shape.operands == 1 ? " operand" : " operands") + ", not " +
                     std::to_string(args.operands.size()));
  }
  for (const std::string& operand : args.operands) {
    if (operand.empty()) throw UsageError("an empty operand names nothing");
  }
  return args;
}

}  // namespace skarvel::cli
