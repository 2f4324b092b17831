#pragma once
// What every fuzz target shares: one scratch folder per process that nothing
// outside it depends on, and a main window that answers dialogs with fixed paths.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/Workbench.h"

namespace skarvel::fuzz {

// A folder made below $TMPDIR when first asked for and removed when the process
// ends normally. Paths below it are given relative, with "/" separators.
class Scratch {
 public:
  static Scratch& Get();
  const std::string& native() const { return root_; }
  std::string Native(const std::string& relative) const { return root_ + "/" + relative; }
  std::string Internal(const std::string& relative) const;

  void Write(const std::string& relative, const std::uint8_t* data, std::size_t size) const;
  std::string Read(const std::string& relative) const;
  // Removes the folder or file and everything below it; missing is fine.
  void Remove(const std::string& relative) const;
  // Every path below the scratch folder, relative, sorted.
  std::vector<std::string> Walk() const;

 private:
  Scratch();
  std::string root_;
};

// A failed oracle: prints what went wrong and aborts, so libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

class FuzzWorkbench : public Workbench, public ProgressSink, public ContentsList {
 public:
  std::string sourceText;
  std::string archiveText;
  std::optional<std::string> dialogAnswer;
  std::vector<std::string> rows;
  int selected = -1;
  bool rowsSet = false;
  int messages = 0;

  std::string SourceText() const override { return sourceText; }
  std::string ArchiveText() const override { return archiveText; }
  ProgressSink& Progress() override { return *this; }
  ContentsList& Contents() override { return *this; }
  std::optional<std::string> RunSaveDialog(const std::string&, const std::string&) override { return dialogAnswer; }
  void RepaintWindow() override {}
  void ShowMessage(const std::string&) override { ++messages; }

  void SetCaption(const std::string&) override {}
  void SetPosition(std::uint8_t) override {}
  void Repaint() override {}

  void SetRows(std::vector<std::string> newRows) override;
  std::string SelectedRowField(int k) const override;
};

}  // namespace skarvel::fuzz
