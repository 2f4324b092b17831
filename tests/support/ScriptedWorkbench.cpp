#include "support/ScriptedWorkbench.h"

#include <algorithm>
#include <cctype>

#include "host/Errors.h"

namespace skarvel::test {

namespace {
std::string Lowered(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}
}  // namespace

bool ScriptedWorkbench::SelectRowOfIndex(int index) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (FieldOf(rows[i], 3) == std::to_string(index)) {
      selectedRow = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

std::optional<std::string> ScriptedWorkbench::RunSaveDialog(const std::string& proposedName,
                                                            const std::string& filter) {
  dialogs.push_back({proposedName, filter});
  events.push_back("dialog:" + proposedName + "|" + filter);
  if (dialogAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = dialogAnswers.front();
  dialogAnswers.pop_front();
  return answer;
}

void ScriptedWorkbench::RepaintWindow() { events.push_back("window-repaint"); }

void ScriptedWorkbench::ShowMessage(const std::string& text) {
  messages.push_back(text);
  events.push_back("message:" + text);
}

void ScriptedWorkbench::SetCaption(const std::string& text) {
  captions.push_back(text);
  events.push_back("caption:" + text);
}

void ScriptedWorkbench::SetPosition(std::uint8_t percent) {
  position = std::min<int>(percent, 100);
  positions.push_back(position);
  events.push_back("position:" + std::to_string(position));
}

void ScriptedWorkbench::Repaint() { events.push_back("repaint"); }

void ScriptedWorkbench::SetRows(std::vector<std::string> newRows) {
  std::stable_sort(newRows.begin(), newRows.end(),
                   [](const std::string& a, const std::string& b) { return Lowered(a) < Lowered(b); });
  rows = std::move(newRows);
  selectedRow = -1;
  events.push_back("rows:" + std::to_string(rows.size()));
}

std::string ScriptedWorkbench::SelectedRowField(int k) const {
  if (selectedRow < 0 || selectedRow >= static_cast<int>(rows.size())) throw ListIndexError(selectedRow);
  return FieldOf(rows[static_cast<std::size_t>(selectedRow)], k);
}

}  // namespace skarvel::test
