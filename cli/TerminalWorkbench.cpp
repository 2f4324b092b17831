#include "cli/TerminalWorkbench.h"

#include <algorithm>

#include "host/Encoding.h"
#include "host/Errors.h"

namespace skarvel::cli {

namespace {
constexpr char kEraseLine[] = "\r\x1b[K";
}

std::optional<std::string> TerminalWorkbench::RunSaveDialog(const std::string&, const std::string&) {
  ++dialogsRun_;
  return dialogAnswer;
}

void TerminalWorkbench::ShowMessage(const std::string& text) {
  messageShown_ = true;
  EndProgressLine();
  err_ << ToDisplayText(text) << '\n' << std::flush;
}

void TerminalWorkbench::SetCaption(const std::string& text) {
  caption_ = text;
  Draw();
}

void TerminalWorkbench::SetPosition(std::uint8_t percent) {
  position_ = std::min<int>(percent, 100);
  Draw();
}

void TerminalWorkbench::Repaint() { Draw(); }

// The caption already ends in the percentage while an operation loops; the bar
// shows the position beside it, as the status line's progress bar does.
void TerminalWorkbench::Draw() {
  if (!drawProgress_) return;
  constexpr int kBarWidth = 20;
  const int filled = position_ * kBarWidth / 100;
  std::string line = '[' + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " + ToDisplayText(caption_);
  // Operations repaint after every file; the terminal needs a new line only
  // when the text changed, which is at most once per percent.
  if (lineOpen_ && line == drawn_) return;
  err_ << kEraseLine << line << std::flush;
  drawn_ = std::move(line);
  lineOpen_ = true;
}

void TerminalWorkbench::EndProgressLine() {
  if (!lineOpen_) return;
  err_ << kEraseLine << std::flush;
  lineOpen_ = false;
}

void TerminalWorkbench::SetRows(std::vector<std::string> rows) {
  rows_ = std::move(rows);
  rowsSet_ = true;
  selected_ = -1;
}

// The rows arrive in directory order, so the row at position index is the
// first choice; a name holding ";" can make another row's field 3 look alike.
bool TerminalWorkbench::SelectRowOfIndex(std::int64_t index) {
  const std::string wanted = std::to_string(index);
  if (index >= 0 && static_cast<std::size_t>(index) < rows_.size() &&
      FieldOf(rows_[static_cast<std::size_t>(index)], 3) == wanted) {
    selected_ = static_cast<int>(index);
    return true;
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (FieldOf(rows_[i], 3) == wanted) {
      selected_ = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

std::string TerminalWorkbench::SelectedRowField(int k) const {
  if (selected_ < 0 || selected_ >= static_cast<int>(rows_.size())) throw ListIndexError(selected_);
  return FieldOf(rows_[static_cast<std::size_t>(selected_)], k);
}

}  // namespace skarvel::cli
