#pragma once
// A main window for tests: records every caption, position, repaint, row,
// message and dialog, and answers save dialogs from a script.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "archive/Workbench.h"

namespace skarvel::test {

struct DialogCall {
  std::string proposedName;
  std::string filter;
};

class ScriptedWorkbench : public Workbench, public ProgressSink, public ContentsList {
 public:
  std::string sourceText = "...or select a file";
  std::string archiveText;

  // Answers of the next save dialogs, in order; nullopt cancels. With no answer
  // left a dialog is cancelled.
  std::deque<std::optional<std::string>> dialogAnswers;

  // What happened, in order. Events read "caption:TEXT", "position:N", "repaint",
  // "window-repaint", "rows:N", "message:TEXT", "dialog:NAME|FILTER".
  std::vector<std::string> events;
  std::vector<std::string> captions;
  std::vector<int> positions;
  std::vector<std::string> messages;
  std::vector<DialogCall> dialogs;

  // The contents list: rows in display order (sorted without regard to case)
  // and the selected display position, -1 for none.
  std::vector<std::string> rows;
  int selectedRow = -1;
  int position = 0;

  // Selects the row whose index field (field 3) is index; false when none is.
  bool SelectRowOfIndex(int index);

  // Workbench
  std::string SourceText() const override { return sourceText; }
  std::string ArchiveText() const override { return archiveText; }
  ProgressSink& Progress() override { return *this; }
  ContentsList& Contents() override { return *this; }
  std::optional<std::string> RunSaveDialog(const std::string& proposedName, const std::string& filter) override;
  void RepaintWindow() override;
  void ShowMessage(const std::string& text) override;

  // ProgressSink
  void SetCaption(const std::string& text) override;
  void SetPosition(std::uint8_t percent) override;
  void Repaint() override;

  // ContentsList
  void SetRows(std::vector<std::string> newRows) override;
  std::string SelectedRowField(int k) const override;
};

}  // namespace skarvel::test
