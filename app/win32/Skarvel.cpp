// The desktop program's entry on Windows: the program's start-up over the
// Win32 windows. Its words come from the process's command line (see
// ProgramArguments), not from the C runtime's argv.
#include <string>
#include <vector>

#include "app/ProgramArguments.h"
#include "app/Startup.h"
#include "archive/AppState.h"
#include "host/Errors.h"
#include "host/Registry.h"
#include "ui/win32/MessageBoxes.h"
#include "ui/win32/Win32Desktop.h"

namespace {

std::string ProgramFile() {
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length < name.size()) return name.substr(0, length);
    name.resize(name.size() * 2);
  }
}

int RunSkarvel(int argc, char** argv) {
  std::vector<std::string> words;
  std::string unreadableLoneWord;
  try {
    words = skarvel::app::ProgramArguments(argc, argv, &unreadableLoneWord);
  } catch (const skarvel::Error& error) {
    // A package's command line with a word the code page cannot hold: nothing
    // is installed under a look-alike name.
    skarvel::ui::win32::ShowApplicationErrorBox(nullptr, error.what());
    return 1;
  }
  skarvel::AppState state(skarvel::Registry::Default());
  state.history = skarvel::history::HistoryStore::Default();
  skarvel::ui::win32::Win32Desktop desktop(state);
  return skarvel::app::RunProgram(words, state, desktop, ProgramFile(), unreadableLoneWord);
}

}  // namespace

int main(int argc, char** argv) {
  // An operation runs to its end without reading messages, as the program is
  // meant to; Windows would otherwise, after five seconds, put a frozen "Not
  // Responding" copy in the window's place and offer to end the program.
  DisableProcessWindowsGhosting();
  // The folder dialogs' shell objects, drops from Explorer and the common
  // dialogs need OLE on the thread of the windows.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const int status = RunSkarvel(argc, argv);
  OleUninitialize();
  return status;
}
