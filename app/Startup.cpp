#include "app/Startup.h"

#include "host/Encoding.h"
#include "host/FileSystem.h"
#include "ui/ApplicationTitle.h"

namespace skarvel::app {

namespace {

// An archive handed over by a file manager ("Open with"); the extension is
// compared without regard to case, as Windows names files.
bool NamesArchive(const std::string& word) {
  return word.size() > 4 && ToLowerCp1252(word.substr(word.size() - 4)) == ".wad" && FileExists(word);
}

}  // namespace

int RunProgram(const std::vector<std::string>& words, AppState& state, StartupDesktop& desktop,
               const std::string& programFile, const std::string& unreadableWord) {
  desktop.SetApplicationTitle(ui::kApplicationTitle);
  // The main window initialises (and lists) before the command line is looked
  // at, in both lives.
  desktop.CreateMainWindow();
  desktop.CreateFolderDialogs();
  state.commandLineMode = false;
  if (words.size() < 2) {
    // The change event lists the archive, as a choice in the browse dialog would.
    if (words.size() == 1 && NamesArchive(words[0])) desktop.SetArchiveText(words[0]);
    if (!unreadableWord.empty()) desktop.ShowMessageWhenShown(unreadableWord);
    return desktop.RunEventLoop();
  }
  state.commandLineMode = true;
  return RunInstaller(words, state, desktop, programFile);
}

}  // namespace skarvel::app
