#pragma once
// The unattended "auto install" program: what an add-on package's "\1wad"
// command line does. Free of any toolkit; the desktop program supplies the boxes
// and the main window through InstallerDesktop, tests script it.
#include <exception>
#include <string>
#include <vector>

#include "archive/AppState.h"

namespace skarvel::app {

class InstallerDesktop {
 public:
  virtual ~InstallerDesktop() = default;
  // The modal box titled "Confirmation" with a question icon and the buttons
  // "&Oui" and "Annuler". True only for Yes (not Cancel, Escape or closing it).
  virtual bool Confirm(const std::string& text) = 0;
  // A plain modal box with the application title and one "OK".
  virtual void ShowMessage(const std::string& text) = 0;
  // The runtime's modal box titled "Erreur d'application".
  virtual void ShowApplicationError(const std::string& text) = 0;
  // The main window's source and archive edits (internal form).
  virtual void SetSourceText(const std::string& text) = 0;
  virtual void SetArchiveText(const std::string& text) = 0;
  // "Update wad" on the main window, once; errors propagate. False when the
  // update stopped with one of its own messages (nothing was patched).
  virtual bool RunUpdate() = 0;
};

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
