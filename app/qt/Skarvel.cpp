// The desktop program's entry: checks that there is a display, then runs the
// program's start-up over the Qt windows.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ProgramArguments.h"
#include "app/Startup.h"
#include "archive/AppState.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/Registry.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/QtDesktop.h"

namespace {

// Without any of these Qt has nowhere to show a window and would abort; the
// program says so and ends before anything is read or written.
bool DisplayAvailable() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!DisplayAvailable()) {
    std::fputs("Skarvel: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
               "Run it from a desktop session, or try the command line: bash scripts/demo.sh\n",
               stderr);
    return 2;
  }
  // The words as the shell handed them, before Qt takes its own options out of argv.
  std::vector<std::string> words;
  std::string unreadable;
  std::string unreadableLoneWord;
  try {
    words = skarvel::app::ProgramArguments(argc, argv, &unreadableLoneWord);
  } catch (const skarvel::Error& error) {
    unreadable = error.what();
  }
  QApplication application(argc, argv);
  if (!unreadable.empty()) {
    std::fprintf(stderr, "Skarvel: %s\n", skarvel::ToDisplayText(unreadable).c_str());
    skarvel::ui::qt::ShowApplicationErrorBox(nullptr, unreadable);
    return 1;
  }
  const std::string programFile = skarvel::Utf8ToCp1252Lossy(QCoreApplication::applicationFilePath().toStdString());

  skarvel::AppState state(skarvel::Registry::Default());
  state.history = skarvel::history::HistoryStore::Default();
  skarvel::ui::qt::QtDesktop desktop(state);
  return skarvel::app::RunProgram(words, state, desktop, programFile, unreadableLoneWord);
}
