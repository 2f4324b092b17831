// Renaming a folder by editing its label in place, and the new folder of the
// context menu: the change happens on disk, and a refusal says why and changes
// nothing.
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include "DialogTestSupport.h"
#include "ui/qt/GameFolderDialog.h"

using skarvel::ui::qt::GameFolderDialog;

namespace skarvel::test {
namespace {

QMessageBox* ShownMessageBox() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

// Types newName over the label of the item and presses Enter, as the user does.
void EditLabel(ui::qt::FolderTree& tree, const QModelIndex& index, const QString& newName) {
  tree.setCurrentIndex(index);
  QTest::keyClick(&tree, Qt::Key_F2);
  auto* editor = tree.viewport()->findChild<QLineEdit*>();
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, newName);
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_VERIFY(!tree.IsEditingLabel());  // the view commits the label from its event loop
}

}  // namespace

class RenameTest : public QObject {
  Q_OBJECT

 private slots:
  void renameInPlaceOnDisk() {
    TestHome home;
    home.MakeFolders({"Desktop/alpha/inner", "Desktop/gamma"});
    GameFolderDialog dialog(nullptr);
    dialog.show();
    QSignalSpy okPressed(&dialog.Ok(), &QPushButton::clicked);
    auto& tree = dialog.Tree();
    auto& model = tree.Folders();
    EditLabel(tree, ChildNamed(model, model.TopIndex(), "alpha"), "omega");
    QVERIFY(QFileInfo(home.Path("Desktop/omega/inner")).isDir());
    QVERIFY(!QFileInfo::exists(home.Path("Desktop/alpha")));
    const QStringList labels = ChildLabels(model, model.TopIndex());
    QCOMPARE(labels.mid(labels.size() - 2), QStringList({"gamma", "omega"}));  // in order again
    QCOMPARE(tree.SelectedFolder(), home.Path("Desktop/omega"));
    // The paths below the renamed folder follow it.
    const QModelIndex omega = ChildNamed(model, model.TopIndex(), "omega");
    tree.expand(omega);
    QCOMPARE(model.FolderPath(ChildNamed(model, omega, "inner")), home.Path("Desktop/omega/inner"));
    // Enter ended the edit: it did not press OK.
    QCOMPARE(okPressed.count(), 0);
  }

  void refusedRename_data() {
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder of that name") << "taken" << "File exists";
    QTest::newRow("a file of that name") << "notes.txt" << "File exists";
    QTest::newRow("a separator in the name") << "a/b" << "cannot contain \"/\"";
  }

  void refusedRename() {
    QFETCH(QString, newName);
    QFETCH(QString, reason);
    TestHome home;
    home.MakeFolders({"Desktop/alpha/inner", "Desktop/taken"});
    home.MakeFile("Desktop/notes.txt");
    GameFolderDialog dialog(nullptr);
    dialog.show();
    auto& tree = dialog.Tree();
    auto& model = tree.Folders();
    EditLabel(tree, ChildNamed(model, model.TopIndex(), "alpha"), newName);
    QTRY_VERIFY(ShownMessageBox() != nullptr);
    QMessageBox* box = ShownMessageBox();
    QVERIFY2(box->text().contains(reason), qPrintable(box->text()));
    box->accept();
    QVERIFY(QFileInfo(home.Path("Desktop/alpha/inner")).isDir());
    QVERIFY(QFileInfo(home.Path("Desktop/taken")).isDir());
    QVERIFY(QFileInfo(home.Path("Desktop/notes.txt")).isFile());
    QCOMPARE(ChildLabels(model, model.TopIndex()).filter("alpha").size(), 1);
  }

  void newFoldersTakeTheNextFreeName() {
    TestHome home;
    home.MakeFolders({"Desktop/work"});
    home.MakeFile("Desktop/work/New folder (2)");
    GameFolderDialog dialog(nullptr);
    auto& model = dialog.Tree().Folders();
    const QModelIndex work = ChildNamed(model, model.TopIndex(), "work");
    QCOMPARE(model.CreateFolder(work).data().toString(), QString("New folder"));
    QCOMPARE(model.CreateFolder(work).data().toString(), QString("New folder (3)"));
    QVERIFY(QFileInfo(home.Path("Desktop/work/New folder (3)")).isDir());
    QCOMPARE(ChildLabels(model, work), QStringList({"New folder", "New folder (3)"}));
  }
};

static TestRegistration registration([] { return new RenameTest; });

}  // namespace skarvel::test

#include "RenameTest.moc"
