#pragma once
// What the operations need of the main window. The Qt window, the command line
// and the tests each implement it; no operation knows which one it talks to.
#include <cstdint>
#include <optional>
#include <string>

#include "archive/ContentsList.h"

namespace skarvel {

// The status line.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetCaption(const std::string& text) = 0;
  // A percentage; values above 100 are held as 100.
  virtual void SetPosition(std::uint8_t percent) = 0;
  virtual void Repaint() = 0;
};

class Workbench {
 public:
  virtual ~Workbench() = default;

  // The text of the source edit and of the archive edit, internal form.
  virtual std::string SourceText() const = 0;
  virtual std::string ArchiveText() const = 0;

  virtual ProgressSink& Progress() = 0;
  virtual ContentsList& Contents() = 0;

  // The shared save dialog, opened with a proposed file name and a filter
  // ("Wad file(*.wad)|*.wad", or empty for none). The accepted name, or nullopt
  // when the user cancelled.
  virtual std::optional<std::string> RunSaveDialog(const std::string& proposedName,
                                                   const std::string& filter) = 0;
  // Redraws the whole window at once (after a dialog closes).
  virtual void RepaintWindow() = 0;
  // A plain message box with the application title and one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace skarvel
