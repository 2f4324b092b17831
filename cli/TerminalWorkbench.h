#pragma once
// The main window as the terminal plays it: the two edits are set by the
// command, the save dialog answers with the path the command line gave, the
// status line is drawn on stderr (only when stderr is a terminal), messages go
// to stderr, and the contents list keeps its rows for the command to print.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive/Workbench.h"

namespace skarvel::cli {

class TerminalWorkbench : public Workbench, public ProgressSink, public ContentsList {
 public:
  // err receives messages and progress; drawProgress says whether it is a terminal.
  TerminalWorkbench(std::ostream& err, bool drawProgress) : err_(err), drawProgress_(drawProgress) {}

  std::string sourceText;
  std::string archiveText;
  // The answer of every save dialog (internal form); nullopt cancels.
  std::optional<std::string> dialogAnswer;

  // What the operation left behind.
  bool MessageShown() const { return messageShown_; }
  bool RowsSet() const { return rowsSet_; }
  const std::vector<std::string>& Rows() const { return rows_; }
  const std::string& LastCaption() const { return caption_; }
  int DialogsRun() const { return dialogsRun_; }

  // Selects the row whose field 3 (the directory index) is index; false when none is.
  bool SelectRowOfIndex(std::int64_t index);
  // Ends a progress line drawn on the terminal, so the next text starts on its own line.
  void EndProgressLine();

  // Workbench
  std::string SourceText() const override { return sourceText; }
  std::string ArchiveText() const override { return archiveText; }
  ProgressSink& Progress() override { return *this; }
  ContentsList& Contents() override { return *this; }
  std::optional<std::string> RunSaveDialog(const std::string& proposedName, const std::string& filter) override;
  void RepaintWindow() override {}
  void ShowMessage(const std::string& text) override;

  // ProgressSink
  void SetCaption(const std::string& text) override;
  void SetPosition(std::uint8_t percent) override;
  void Repaint() override;

  // ContentsList: the rows stay in directory order, the order the terminal shows.
  void SetRows(std::vector<std::string> rows) override;
  std::string SelectedRowField(int k) const override;

 private:
  void Draw();

  std::ostream& err_;
  bool drawProgress_;
  bool lineOpen_ = false;
  std::string drawn_;
  std::string caption_;
  int position_ = 0;
  bool messageShown_ = false;
  bool rowsSet_ = false;
  int dialogsRun_ = 0;
  std::vector<std::string> rows_;
  int selected_ = -1;
};

}  // namespace skarvel::cli
