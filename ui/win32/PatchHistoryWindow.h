#pragma once
// The "Patch history..." window in the Win32 API: the list of the archive's
// patches, a line for what the window has to say, and its three buttons; the
// view that PatchHistoryForm's handlers drive. Modal over the program's other
// windows while it is shown.
#include "ui/PatchHistory.h"
#include "ui/win32/controls/Button.h"
#include "ui/win32/controls/Container.h"
#include "ui/win32/controls/Label.h"
#include "ui/win32/controls/ReportList.h"

namespace skarvel::ui::win32 {

class PatchHistoryWindow : public PatchHistoryView {
 public:
  PatchHistoryWindow(TForm1& main, HWND owner);
  ~PatchHistoryWindow() override;
  PatchHistoryWindow(const PatchHistoryWindow&) = delete;
  PatchHistoryWindow& operator=(const PatchHistoryWindow&) = delete;

  // Lists the patches and shows the window until it is closed.
  void Run();

  Form& Window() { return form_; }
  ReportList& Patches() { return patches_; }
  Label& Note() { return note_; }

  // PatchHistoryView
  void SetCaption(const std::string& text) override { form_.SetText(text); }
  void SetRows(const std::vector<PatchHistoryRow>& rows) override;
  int SelectedRow() const override { return patches_.SelectedRow(); }
  void EnableActions(bool restore, bool undoPackage) override;
  void SetNote(const std::string& text) override { note_.SetText(text); }
  bool Confirm(const std::string& text) override;
  void Close() override;

 private:
  HWND owner_;
  Form form_;
  ReportList patches_;
  Label note_;
  Button restore_;
  Button undoPackage_;
  Button close_;
  PatchHistoryForm handlers_;
};

}  // namespace skarvel::ui::win32
