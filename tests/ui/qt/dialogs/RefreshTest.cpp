// The source-folder dialog's automatic refresh: a folder that appears in or
// vanishes from the watched folder shows in the tree, which keeps its expanded
// folders, its selection and its scroll position; never while a modal dialog
// (a handler's) is open; never in the game-folder dialog.
#include <QDialog>
#include <QDir>
#include <QScrollBar>
#include <QTest>

#include "DialogTestSupport.h"
#include "ui/qt/GameFolderDialog.h"
#include "ui/qt/SourceFolderDialog.h"

using skarvel::ui::qt::GameFolderDialog;
using skarvel::ui::qt::SourceFolderDialog;

namespace skarvel::test {

class RefreshTest : public QObject {
  Q_OBJECT

 private slots:
  void folderAppearsInWatchedFolder() {
    TestHome home;
    home.MakeFolders({"Desktop/keep/inner"});
    for (int i = 0; i < 40; ++i) home.MakeFolders({QString("Desktop/filler %1").arg(i)});
    SourceFolderDialog dialog(nullptr);
    dialog.show();
    auto& tree = dialog.Tree();
    auto& model = tree.Folders();
    const QModelIndex top = model.TopIndex();
    tree.expand(ChildNamed(model, top, "keep"));
    tree.verticalScrollBar()->setValue(3);
    tree.setCurrentIndex(top);

    QVERIFY(QDir().mkdir(home.Path("Desktop/arrived")));
    QTRY_VERIFY(ChildNamed(model, top, "arrived").isValid());
    QVERIFY(tree.isExpanded(ChildNamed(model, top, "keep")));
    QCOMPARE(tree.SelectedFolder(), home.Desktop());
    QCOMPARE(tree.verticalScrollBar()->value(), 3);

    QVERIFY(QDir().rmdir(home.Path("Desktop/arrived")));
    QTRY_VERIFY(!ChildNamed(model, top, "arrived").isValid());
  }

  void watchFollowsTheSelection() {
    TestHome home;
    home.MakeFolders({"Desktop/keep/inner"});
    SourceFolderDialog dialog(nullptr);
    dialog.show();
    auto& tree = dialog.Tree();
    auto& model = tree.Folders();
    const QModelIndex keep = ChildNamed(model, model.TopIndex(), "keep");
    tree.expand(keep);
    tree.setCurrentIndex(keep);
    QVERIFY(QDir().mkdir(home.Path("Desktop/keep/second")));
    QTRY_COMPARE(ChildLabels(model, keep), QStringList({"inner", "second"}));
  }

  void notWhileAModalDialogIsOpen() {
    TestHome home;
    SourceFolderDialog dialog(nullptr);
    dialog.show();
    auto& model = dialog.Tree().Folders();
    QDialog handlersBox;
    handlersBox.setModal(true);
    handlersBox.show();
    QVERIFY(QDir().mkdir(home.Path("Desktop/arrived")));
    QTest::qWait(600);
    QVERIFY(!ChildNamed(model, model.TopIndex(), "arrived").isValid());
    handlersBox.hide();
    QTRY_VERIFY(ChildNamed(model, model.TopIndex(), "arrived").isValid());
  }

  void gameFolderDialogDoesNotRefresh() {
    TestHome home;
    GameFolderDialog dialog(nullptr);
    dialog.show();
    auto& model = dialog.Tree().Folders();
    QVERIFY(QDir().mkdir(home.Path("Desktop/arrived")));
    QTest::qWait(600);
    QVERIFY(!ChildNamed(model, model.TopIndex(), "arrived").isValid());
  }
};

static TestRegistration registration([] { return new RefreshTest; });

}  // namespace skarvel::test

#include "RefreshTest.moc"
