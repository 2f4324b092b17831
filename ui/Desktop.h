#pragma once
// What the program's start and the unattended installer need of a front end:
// the application title, the windows, the event loop and the modal boxes. Free
// of any toolkit; the Qt and the Win32 front ends implement it, tests script it.
#include <string>

namespace skarvel::ui {

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

class StartupDesktop : public InstallerDesktop {
 public:
  virtual void SetApplicationTitle(const std::string& title) = 0;
  // Creates the main window, hidden; its creation runs its FormCreate, which
  // shows its own errors in the default error box.
  virtual void CreateMainWindow() = 0;
  // Creates the source-folder and game-folder dialogs, hidden.
  virtual void CreateFolderDialogs() = 0;
  // Shows text in the plain box once the event loop has shown the main window,
  // in front of it.
  virtual void ShowMessageWhenShown(const std::string& text) = 0;
  // Shows the main window and handles events until it is closed; the exit code.
  virtual int RunEventLoop() = 0;
};

}  // namespace skarvel::ui
