#include "ui/qt/FolderDialog.h"

#include <QKeyEvent>

#include "host/Encoding.h"
#include "ui/qt/FolderListing.h"
#include "ui/qt/MainWindow.h"

namespace skarvel::ui::qt {

FolderDialog::FolderDialog(const QString& caption, const QString& okName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      tree_(new FolderTree(this)),
      ok_(new QPushButton("OK", this)) {
  setWindowTitle(caption);
  setModal(false);
  setFont(ProgramFont());  // the main window's: "MS Sans Serif" at 8 points, or the closest face
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));  // the button-face colour
  setPalette(palette);

  ok_->setObjectName(okName);
  ok_->setAccessibleName("OK");
  ok_->setDefault(true);
  setTabOrder(tree_, ok_);
  tree_->setFocus();
}

std::string FolderDialog::SelectedFolder() const {
  const QString folder = tree_->SelectedFolder();
  return folder.isEmpty() ? std::string() : ToInternalPath(NativeName(folder));
}

void FolderDialog::keyPressEvent(QKeyEvent* event) {
  // The dialog has no Cancel button: Escape does not close it, as in the
  // program's other windows. Enter reaches QDialog, which presses OK.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace skarvel::ui::qt
