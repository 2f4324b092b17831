#pragma once
// The "Patch history..." window in Qt: the list of the archive's patches, a line
// for what the window has to say, and its three buttons; the view that
// PatchHistoryForm's handlers drive. Modal over the main window while shown.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/PatchHistory.h"

namespace skarvel::ui::qt {

class PatchHistoryDialog : public QDialog, public PatchHistoryView {
  Q_OBJECT

 public:
  PatchHistoryDialog(TForm1& main, QWidget* parent);

  // Lists the patches and shows the window until it is closed.
  void Run();

  QTreeWidget& Patches() { return patches_; }
  QPushButton& RestoreButton() { return restore_; }
  QPushButton& UndoPackageButton() { return undoPackage_; }

  // PatchHistoryView
  void SetCaption(const std::string& text) override;
  void SetRows(const std::vector<PatchHistoryRow>& rows) override;
  int SelectedRow() const override;
  void EnableActions(bool restore, bool undoPackage) override;
  void SetNote(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Close() override { accept(); }

 private:
  QTreeWidget patches_;
  QLabel note_;
  QPushButton restore_;
  QPushButton undoPackage_;
  QPushButton close_;
  PatchHistoryForm form_;
};

}  // namespace skarvel::ui::qt
