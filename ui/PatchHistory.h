#pragma once
// The "Patch history..." window's state and handlers, free of any toolkit: the
// patches of the main window's archive, newest first, and the two restores a
// user can ask for there, each run as an operation of the main window.
#include <string>
#include <vector>

#include "archive/history/Restore.h"

namespace skarvel::ui {

class TForm1;

inline constexpr char kPatchHistoryCommand[] = "Patch history...";
inline constexpr char kRestoreButton[] = "Restore to before this patch";
inline constexpr char kUndoPackageButton[] = "Undo this package";
inline constexpr char kCloseButton[] = "Close";

// One patch as the window lists it (display texts).
struct PatchHistoryRow {
  std::string time;     // local time
  std::string how;      // "window", "installer" or "command line"
  std::string source;
  std::string entries;  // "2 replaced, 1 appended"
  bool operator==(const PatchHistoryRow&) const = default;
};

class PatchHistoryView {
 public:
  virtual ~PatchHistoryView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  // The rows in this order, the first of them selected.
  virtual void SetRows(const std::vector<PatchHistoryRow>& rows) = 0;
  // The position of the selected row, -1 when none is.
  virtual int SelectedRow() const = 0;
  virtual void EnableActions(bool restore, bool undoPackage) = 0;
  // The line under the list; empty hides nothing but says nothing.
  virtual void SetNote(const std::string& text) = 0;
  // The program's confirmation box; true only for its Yes.
  virtual bool Confirm(const std::string& text) = 0;
  virtual void Close() = 0;
};

class PatchHistoryForm {
 public:
  // main: the main window's handlers, whose archive edit names the archive and
  // whose operations the restores are. Its state has a history store.
  PatchHistoryForm(TForm1& main, PatchHistoryView& view) : main_(main), view_(view) {}
  PatchHistoryForm(const PatchHistoryForm&) = delete;
  PatchHistoryForm& operator=(const PatchHistoryForm&) = delete;

  // Lists the archive's patches: at showing, and again after each restore.
  void FormShow();
  void ListSelect();        // another row was selected
  void RestoreClick();      // "Restore to before this patch"
  void UndoPackageClick();  // "Undo this package"
  void CloseClick() { view_.Close(); }

 private:
  void List();
  // The patch of the selected row, or null.
  const history::HistoryStore::Entry* Selected() const;
  // Asks, then runs plans as one operation and lists again.
  void RunRestore(const std::vector<history::RestorePlan>& plans, const std::string& question);

  TForm1& main_;
  PatchHistoryView& view_;
  std::string archive_;
  std::vector<history::HistoryStore::Entry> patches_;  // oldest first
  bool restorable_ = false;  // the archive is what its newest patch left
};

}  // namespace skarvel::ui
