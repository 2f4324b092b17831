#pragma once
// The words of a Windows command line, split as the program's runtime splits
// them (not as the C runtime does): blanks separate words, a stretch in double
// quotes belongs to one word and loses its quotes, a backslash is an ordinary
// character. The first word is the program's own name.
#include <string>
#include <string_view>
#include <vector>

namespace skarvel::app {

std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace skarvel::app
