#pragma once
// A main window for the handler tests: the widgets' part of TForm1, recorded.
// The operations' part (texts, status line, list, save dialog, messages) is a
// ScriptedWorkbench, whose event log this window shares, so one log tells the
// order of everything a run did.
#include <functional>
#include <string>
#include <vector>

#include "support/ScriptedWorkbench.h"
#include "ui/MainWindowView.h"

namespace skarvel::test {

class ScriptedMainWindow : public ui::MainWindowView {
 public:
  ScriptedWorkbench bench;
  // The archive edit's change event (TForm1::LMDFile2Change once a form exists).
  std::function<void()> onArchiveChange;
  // What the patch history window does while it is shown.
  std::function<void()> onPatchHistory;

  // Besides the bench's events, the log reads "height:N", "window-caption:T",
  // "source-text:T", "archive-text:T" (only when the text changes),
  // "source-folder:F", "archive-folder:F", "show-source-dialog",
  // "show-game-dialog", "show-patch-history", "error:T".
  std::vector<std::string>& events = bench.events;
  int height = 0;
  std::string windowCaption;
  std::string sourceFolder;
  std::string archiveFolder;
  std::vector<std::string> errorBoxes;
  // Operations begun and ended; an error box shown while one runs is counted.
  int operationsBegun = 0;
  int operationsEnded = 0;
  int errorBoxesDuringOperation = 0;
  // ArchiveText refuses its text, as a front end refuses one it cannot convert.
  bool archiveTextRefused = false;

  // Workbench
  std::string SourceText() const override { return bench.sourceText; }
  std::string ArchiveText() const override;
  ProgressSink& Progress() override { return bench; }
  ContentsList& Contents() override { return bench; }
  std::optional<std::string> RunSaveDialog(const std::string& proposedName, const std::string& filter) override {
    return bench.RunSaveDialog(proposedName, filter);
  }
  void RepaintWindow() override { bench.RepaintWindow(); }
  void ShowMessage(const std::string& text) override { bench.ShowMessage(text); }

  // MainWindowView
  void SetWindowHeight(int outerHeight) override;
  void SetWindowCaption(const std::string& text) override;
  void SetSourceText(const std::string& text) override;
  void SetArchiveText(const std::string& text) override;
  void SetSourceInitialFolder(const std::string& folder) override;
  void SetArchiveInitialFolder(const std::string& folder) override;
  void ShowSourceFolderDialog() override { events.push_back("show-source-dialog"); }
  void ShowGameFolderDialog() override { events.push_back("show-game-dialog"); }
  void ShowPatchHistory() override {
    events.push_back("show-patch-history");
    if (onPatchHistory) onPatchHistory();
  }
  void ShowErrorBox(const std::string& text) override;
  void BeginOperation() override { ++operationsBegun; }
  void EndOperation() override { ++operationsEnded; }
};

}  // namespace skarvel::test
