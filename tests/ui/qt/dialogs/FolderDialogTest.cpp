// The two dialogs as windows: their layouts before and after a resize, Enter
// pressing OK, and hiding on close with the tree kept as it was.
#include <QSignalSpy>
#include <QTest>

#include "DialogTestSupport.h"
#include "ui/qt/GameFolderDialog.h"
#include "ui/qt/SourceFolderDialog.h"

using skarvel::ui::qt::FolderDialog;
using skarvel::ui::qt::GameFolderDialog;
using skarvel::ui::qt::SourceFolderDialog;

namespace skarvel::test {
namespace {

QRect InDialog(QWidget& widget, QWidget& dialog) {
  return QRect(widget.mapTo(&dialog, QPoint(0, 0)), widget.size());
}

std::unique_ptr<FolderDialog> MakeDialog(bool source) {
  if (source) return std::make_unique<SourceFolderDialog>(nullptr);
  return std::make_unique<GameFolderDialog>(nullptr);
}

}  // namespace

class FolderDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void layout_data() {
    QTest::addColumn<bool>("source");
    QTest::addColumn<QSize>("clientSize");
    QTest::addColumn<QRect>("tree");
    QTest::addColumn<QRect>("ok");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Select Files... at its size") << true << QSize(236, 335) << QRect(9, 20, 218, 279)
                                                 << QRect(152, 307, 73, 20) << "Select Files...";
    QTest::newRow("Select Files... follows a resize") << true << QSize(336, 435) << QRect(9, 20, 318, 379)
                                                      << QRect(252, 407, 73, 20) << "Select Files...";
    QTest::newRow("Manual Path Entry at its size") << false << QSize(257, 306) << QRect(16, 32, 225, 233)
                                                   << QRect(168, 272, 73, 25) << "Manual Path Entry";
    QTest::newRow("Manual Path Entry keeps its places") << false << QSize(400, 450) << QRect(16, 32, 225, 233)
                                                        << QRect(168, 272, 73, 25) << "Manual Path Entry";
  }

  void layout() {
    QFETCH(bool, source);
    QFETCH(QSize, clientSize);
    QFETCH(QRect, tree);
    QFETCH(QRect, ok);
    QFETCH(QString, caption);
    TestHome home;
    auto dialog = MakeDialog(source);
    dialog->show();
    dialog->resize(clientSize);
    QTRY_COMPARE(dialog->size(), clientSize);
    QCOMPARE(InDialog(dialog->Tree(), *dialog), tree);
    QCOMPARE(InDialog(dialog->Ok(), *dialog), ok);
    QCOMPARE(dialog->windowTitle(), caption);
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!dialog->isModal());
  }

  void enterPressesOk_data() {
    QTest::addColumn<bool>("source");
    QTest::newRow("Select Files...") << true;
    QTest::newRow("Manual Path Entry") << false;
  }

  void enterPressesOk() {
    QFETCH(bool, source);
    TestHome home;
    auto dialog = MakeDialog(source);
    dialog->show();
    QSignalSpy okPressed(&dialog->Ok(), &QPushButton::clicked);
    QTest::keyClick(&dialog->Tree(), Qt::Key_Return);
    QCOMPARE(okPressed.count(), 1);
    QTest::keyClick(&dialog->Tree(), Qt::Key_Escape);  // no Cancel button: Escape does not close
    QVERIFY(dialog->isVisible());
  }

  void closingHidesAndKeepsTheTree() {
    TestHome home;
    home.MakeFolders({"Desktop/keep/inner"});
    SourceFolderDialog dialog(nullptr);
    dialog.show();
    auto& tree = dialog.Tree();
    auto& model = tree.Folders();
    const QModelIndex keep = ChildNamed(model, model.TopIndex(), "keep");
    tree.expand(keep);
    tree.setCurrentIndex(ChildNamed(model, keep, "inner"));
    QVERIFY(dialog.close());
    QVERIFY(!dialog.isVisible());
    dialog.show();
    QVERIFY(tree.isExpanded(keep));
    QCOMPARE(dialog.SelectedFolder(), home.Path("Desktop/keep/inner").replace('/', '\\').toStdString());
  }

  void noSelectionGivesTheEmptyText() {
    TestHome home;
    GameFolderDialog dialog(nullptr);
    dialog.Tree().clearSelection();
    QCOMPARE(dialog.SelectedFolder(), std::string());
  }
};

static TestRegistration registration([] { return new FolderDialogTest; });

}  // namespace skarvel::test

#include "FolderDialogTest.moc"
