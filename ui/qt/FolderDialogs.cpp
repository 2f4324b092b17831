#include "ui/qt/FolderDialogs.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/ManualPath.h"
#include "ui/filesfolder.h"
#include "ui/qt/GameFolderDialog.h"
#include "ui/qt/SourceFolderDialog.h"

namespace skarvel::ui::qt {
namespace {

// Binds the dialog's OK to a handler that lives as long as the dialog.
template <typename Form, typename Dialog>
QDialog* WithHandler(Dialog* dialog, TForm1& mainWindow, void (Form::*click)()) {
  auto* form = new Form(mainWindow, *dialog);
  QObject::connect(&dialog->Ok(), &QPushButton::clicked, dialog, [form, click] { (form->*click)(); });
  QObject::connect(dialog, &QObject::destroyed, [form] { delete form; });
  return dialog;
}

}  // namespace

QDialog* CreateSourceFolderDialog(TForm1& mainWindow, QWidget* parent) {
  return WithHandler<TForm2>(new SourceFolderDialog(parent), mainWindow, &TForm2::OKClick);
}

QDialog* CreateGameFolderDialog(TForm1& mainWindow, QWidget* parent) {
  return WithHandler<TForm5>(new GameFolderDialog(parent), mainWindow, &TForm5::Button1Click);
}

void ShowFolderDialog(QDialog* dialog) {
  if (!dialog->isVisible()) {
    QScreen* screen = dialog->parentWidget() ? dialog->parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    dialog->move(available.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    dialog->show();
  }
  dialog->raise();
  dialog->activateWindow();
}

}  // namespace skarvel::ui::qt
