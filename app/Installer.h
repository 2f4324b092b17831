#pragma once
// The unattended "auto install" program: what an add-on package's "\1wad"
// command line does. Free of any toolkit; the desktop program supplies the boxes
// and the main window through InstallerDesktop (ui/Desktop.h), tests script it.
#include <exception>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "ui/Desktop.h"

namespace skarvel::app {

using ui::InstallerDesktop;

// Carries out a command line of two or more words (the words after the
// program's name, internal form) and returns the exit code: 0 when it patched,
// was declined or had nothing to do; 1 when the update stopped with one of its
// messages (nothing patched, no success message) or an error ended the run. programFile is the program's file
// name, for the runtime's error box.
int RunInstaller(const std::vector<std::string>& words, AppState& state, InstallerDesktop& desktop,
                 const std::string& programFile);

// The welcome text for a game folder (empty when it was not found).
std::string WelcomeText(const std::string& gameFolder);

// The runtime's error box text for an error that ended the program.
std::string ApplicationErrorText(const std::exception& error, const std::string& programFile);

}  // namespace skarvel::app
