// The Windows command line of the desktop program, split into its words: any
// line splits without a fault, into words that are never empty and hold no
// quote, and the words joined back with the runtime's quoting split to the
// same words.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "fuzz/FuzzSupport.h"

namespace {

bool HoldsBlank(const std::string& word) {
  for (char c : word) {
    if (static_cast<unsigned char>(c) <= ' ') return true;
  }
  return false;
}

// The runtime's quoting: a word that holds a blank goes in double quotes, and
// so does every word when quoteAll (a package may quote words it need not).
std::string Joined(const std::vector<std::string>& words, bool quoteAll) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) line += ' ';
    line += quoteAll || HoldsBlank(word) ? "\"" + word + "\"" : word;
  }
  return line;
}

std::string Shown(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += "[" + word + "]";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> words = skarvel::app::SplitCommandLine(line);
  for (const std::string& word : words) {
    if (word.empty()) skarvel::fuzz::Fail("an empty word from " + std::string(line));
    if (word.find('"') != std::string::npos) skarvel::fuzz::Fail("a word that kept a quote: " + word);
  }
  for (const bool quoteAll : {false, true}) {
    const std::string again = Joined(words, quoteAll);
    const std::vector<std::string> split = skarvel::app::SplitCommandLine(again);
    if (split != words) {
      skarvel::fuzz::Fail("the words " + Shown(words) + " joined as " + again + " split to " + Shown(split));
    }
  }
  return 0;
}
