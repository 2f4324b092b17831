#pragma once
// The program's start, in both its lives: the title, the three windows in their
// order, then the event loop (interactive) or the installer (command line).
#include <string>
#include <vector>

#include "app/Installer.h"
#include "archive/AppState.h"

namespace skarvel::app {

class StartupDesktop : public InstallerDesktop {
 public:
  virtual void SetApplicationTitle(const std::string& title) = 0;
  // Creates the main window, hidden; its creation runs its FormCreate, which
  // shows its own errors in the default error box.
  virtual void CreateMainWindow() = 0;
  // Creates the source-folder and game-folder dialogs, hidden.
  virtual void CreateFolderDialogs() = 0;
  // Shows the main window and handles events until it is closed; the exit code.
  virtual int RunEventLoop() = 0;
};

// Runs the program over the words of its command line after its name, in
// internal form (on POSIX each argument converted as a path from the user is;
// on Windows the words of SplitCommandLine); returns the exit code. A single
// word that names an existing ".wad" file is put into the archive edit before
// the event loop runs, which lists it.
int RunProgram(const std::vector<std::string>& words, AppState& state, StartupDesktop& desktop,
               const std::string& programFile);

}  // namespace skarvel::app
