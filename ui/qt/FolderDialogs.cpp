#include "ui/qt/FolderDialogs.h"

#include <QFileSystemModel>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include "host/Encoding.h"
#include "ui/FolderDialogView.h"
#include "ui/ManualPath.h"
#include "ui/filesfolder.h"

namespace skarvel::ui::qt {
namespace {

class FolderDialog : public QDialog, public FolderDialogView {
 public:
  FolderDialog(const QString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    setModal(false);
    model_.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    model_.setRootPath(QString());
    tree_.setModel(&model_);
    for (int column = 1; column < model_.columnCount(); ++column) tree_.hideColumn(column);
    tree_.setHeaderHidden(true);
    ok_.setText("OK");
    ok_.setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&tree_);
    layout->addWidget(&ok_);
  }

  QPushButton& Ok() { return ok_; }

  std::string SelectedFolder() const override {
    const QModelIndex index = tree_.currentIndex();
    if (!index.isValid()) return {};
    return ToInternalPath(model_.filePath(index).toStdString());
  }
  void Close() override { hide(); }

 private:
  QFileSystemModel model_;
  QTreeView tree_;
  QPushButton ok_;
};

}  // namespace

QDialog* CreateSourceFolderDialog(TForm1& mainWindow, QWidget* parent) {
  auto* dialog = new FolderDialog("Select Files...", parent);
  auto* form = new TForm2(mainWindow, *dialog);
  QObject::connect(&dialog->Ok(), &QPushButton::clicked, dialog, [form] { form->OKClick(); });
  QObject::connect(dialog, &QObject::destroyed, [form] { delete form; });
  return dialog;
}

QDialog* CreateGameFolderDialog(TForm1& mainWindow, QWidget* parent) {
  auto* dialog = new FolderDialog("Manual Path Entry", parent);
  auto* form = new TForm5(mainWindow, *dialog);
  QObject::connect(&dialog->Ok(), &QPushButton::clicked, dialog, [form] { form->Button1Click(); });
  QObject::connect(dialog, &QObject::destroyed, [form] { delete form; });
  return dialog;
}

void ShowFolderDialog(QDialog* dialog) {
  if (!dialog->isVisible()) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    dialog->move(screen.center() - dialog->rect().center());
    dialog->show();
  }
  dialog->raise();
  dialog->activateWindow();
}

}  // namespace skarvel::ui::qt
