#pragma once
// The words that the program was started with, after its own name, in the
// program's internal form.
#include <string>
#include <vector>

namespace skarvel::app {

// On Windows the words come from the process's command line, split by the
// program's runtime rule (SplitCommandLine): argv is the C runtime's split,
// which reads a "\" before a quote as an escape, so that a package's
// "\1wad "C:\GP4 mods\" cars.wad" would arrive as one word. Elsewhere they are
// argv's, converted from the desktop's text. In the words that name files (a
// lone word, the archive, the subfolder) a "/" becomes "\", as in every path
// from the user; the mode and step words stay exactly as written. A "\" stays
// everywhere, because a word such as "\1wad" is written for the program. Raises the conversion's error
// for a word the code page cannot hold, unless it is the only word: a file handed
// over by "Open with" is then left out, the window opens without it, and the
// error's text goes to *loneWordRefusal for the window to show.
std::vector<std::string> ProgramArguments(int argc, char** argv, std::string* loneWordRefusal = nullptr);

}  // namespace skarvel::app
