#include "app/CommandLine.h"

namespace skarvel::app {

namespace {

// The runtime takes every character up to the space for a blank: space and tab
// in practice, and the control characters a careless package may leave.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> words;
  std::size_t pos = 0;
  const std::size_t end = commandLine.size();
  for (;;) {
    // Blanks, and pairs of quotes that open a word, give no word of their own.
    for (;;) {
      while (pos < end && IsBlank(commandLine[pos])) ++pos;
      if (pos + 1 < end && commandLine[pos] == '"' && commandLine[pos + 1] == '"') {
        pos += 2;
      } else {
        break;
      }
    }
    std::string word;
    while (pos < end && !IsBlank(commandLine[pos])) {
      if (commandLine[pos] != '"') {
        word += commandLine[pos++];
        continue;
      }
      // A quoted stretch runs to the next quote, or to the end when none follows.
      const std::size_t close = commandLine.find('"', pos + 1);
      const std::size_t stop = close == std::string_view::npos ? end : close;
      word.append(commandLine.substr(pos + 1, stop - pos - 1));
      pos = close == std::string_view::npos ? end : close + 1;
    }
    // The runtime counts words up to the first empty one; only a lone quote at
    // the very end can make one.
    if (word.empty()) break;
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace skarvel::app
