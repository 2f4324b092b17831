#include "support/ScriptedMainWindow.h"

#include "host/Errors.h"

namespace skarvel::test {

void ScriptedMainWindow::SetWindowHeight(int outerHeight) {
  height = outerHeight;
  events.push_back("height:" + std::to_string(outerHeight));
}

void ScriptedMainWindow::SetWindowCaption(const std::string& text) {
  windowCaption = text;
  events.push_back("window-caption:" + text);
}

void ScriptedMainWindow::SetSourceText(const std::string& text) {
  bench.sourceText = text;
  events.push_back("source-text:" + text);
}

void ScriptedMainWindow::SetArchiveText(const std::string& text) {
  // As the edit: the same text again fires no change event.
  if (text == bench.archiveText) return;
  bench.archiveText = text;
  events.push_back("archive-text:" + text);
  if (onArchiveChange) onArchiveChange();
}

void ScriptedMainWindow::SetSourceInitialFolder(const std::string& folder) {
  sourceFolder = folder;
  events.push_back("source-folder:" + folder);
}

void ScriptedMainWindow::SetArchiveInitialFolder(const std::string& folder) {
  archiveFolder = folder;
  events.push_back("archive-folder:" + folder);
}

std::string ScriptedMainWindow::ArchiveText() const {
  if (archiveTextRefused) throw RefusedError("The path \"" + bench.archiveText + "\" cannot be used");
  return bench.archiveText;
}

void ScriptedMainWindow::ShowErrorBox(const std::string& text) {
  if (operationsBegun > operationsEnded) ++errorBoxesDuringOperation;
  errorBoxes.push_back(text);
  events.push_back("error:" + text);
}

}  // namespace skarvel::test
