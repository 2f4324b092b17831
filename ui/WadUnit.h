#pragma once
// The main window's state and handlers, free of any toolkit: the widgets call
// these on their events, and the handlers reach the widgets only through the view.
#include <exception>
#include <functional>
#include <string>

#include "archive/AppState.h"
#include "ui/MainWindowView.h"

namespace skarvel::ui {

// The text that the default error box shows for an error (internal form).
std::string ErrorBoxText(const std::exception& error);

class TForm1 {
 public:
  TForm1(AppState& state, MainWindowView& view) : state_(state), view_(view) {}
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The window's initialisation, at creation and again whenever the game-folder
  // dialog accepts a folder. An error at a step ends it there, shown in the
  // default error box; the steps before it keep what they set.
  void FormCreate();

  // Handlers bound to the window's controls. Each runs through Guarded.
  void LMDButton1Click();    // "Show/Hide files in the wad"
  void LMDFile1Click();      // the source edit's browse event
  void LMDFile2Change();     // the archive edit's change event
  void SelectFolderClick();  // "Select a Folder"
  void SetGP4Path();         // "Change GP4 Path"
  void BtnUpdate1WadClick(); // "Update wad"
  void UpdateWads();         // "Update all tracks"
  void LMDCreateWadClick();  // "Create wad"
  void ExtractClick();       // "Extract wad"
  void LMDFilesDblClick();   // a double-click on a row of the contents list
  void PatchHistoryClick();  // "Patch history...": the list's menu, Ctrl+H, the system menu

  // Runs action as an event handler: what it raises is shown in the default
  // error box and the program goes on. A handler that runs inside another one
  // (the change event fired by a text the initialisation sets) lets its error
  // reach the outer handler, which then ends as well.
  void Guarded(const std::function<void()>& action);
  // As Guarded, for an operation ("Update wad", the extractions, ...): the view
  // shows it busy, and drops the input given meanwhile when it ends, before any
  // error box is shown.
  void RunOperation(const std::function<void()>& action);

  bool FilesShown() const { return filesShown_; }
  AppState& State() { return state_; }
  MainWindowView& View() { return view_; }

 private:
  void Initialise();
  void ListNamedArchive();
  void RunShowingErrors(const std::function<void()>& action, bool asOperation);
  void ShowError(const std::exception& error);

  AppState& state_;
  MainWindowView& view_;
  bool filesShown_ = false;
  int handlerDepth_ = 0;
};

}  // namespace skarvel::ui
