#pragma once
// The program's start, in both its lives: the title, the three windows in their
// order, then the event loop (interactive) or the installer (command line).
#include <string>
#include <vector>

#include "app/Installer.h"
#include "archive/AppState.h"

namespace skarvel::app {

using ui::StartupDesktop;

// Runs the program over the words of its command line after its name, in
// internal form (on POSIX each argument converted as a path from the user is;
// on Windows the words of SplitCommandLine); returns the exit code. A single
// word that names an existing ".wad" file is put into the archive edit before
// the event loop runs, which lists it.
// unreadableWord is why a lone word could not be read (ProgramArguments); the
// window then opens without it and a box shows why, once the window is up.
int RunProgram(const std::vector<std::string>& words, AppState& state, StartupDesktop& desktop,
               const std::string& programFile, const std::string& unreadableWord = {});

}  // namespace skarvel::app
