// The words of a Windows command line as the program's runtime splits them.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skarvel::app {
namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> words;
};

TEST(SplitCommandLine, SplitsAsTheRuntimeDoes) {
  const std::vector<SplitCase> cases = {
      {"", {}},
      {"   \t ", {}},
      {"Skarvel.exe", {"Skarvel.exe"}},
      {"Skarvel.exe \\1wad cars.wad", {"Skarvel.exe", "\\1wad", "cars.wad"}},
      {" a \t b\t\tc ", {"a", "b", "c"}},
      {"\"C:\\Program Files\\Skarvel.exe\" \\1wad", {"C:\\Program Files\\Skarvel.exe", "\\1wad"}},
      // A backslash is ordinary, also before a quote: the quote still closes.
      {"p \"C:\\Games\\GP4\\\" x", {"p", "C:\\Games\\GP4\\", "x"}},
      {"p C:\\a\\\\ x\\", {"p", "C:\\a\\\\", "x\\"}},
      {"p ab\"c d\"e f", {"p", "abc de", "f"}},
      {"p \"a\"\"b\"", {"p", "ab"}},
      // Empty quotes make no word of their own, wherever they stand.
      {"p \"\" x", {"p", "x"}},
      {"p \"\"\"\" x", {"p", "x"}},
      {"p x \"\"", {"p", "x"}},
      {"p x\"\"y", {"p", "xy"}},
      // An unbalanced quote runs to the end of the line.
      {"p \"a b", {"p", "a b"}},
      {"p a\"b c", {"p", "ab c"}},
      {"p \"\"\" x", {"p", " x"}},
      {"p x \"", {"p", "x"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(SplitCommandLine(c.line), c.words);
  }
}

}  // namespace
}  // namespace skarvel::app
