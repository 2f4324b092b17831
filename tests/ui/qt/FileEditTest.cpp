// The file edit: its change event, the dialog's filters, and drops.
#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "ui/qt/DialogFilter.h"
#include "ui/qt/FileEdit.h"
#include "WidgetTest.h"

using skarvel::ui::qt::FileEdit;

namespace {

// Drops data on the edit as a file manager would; true when the edit took it.
bool Drop(FileEdit& edit, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&edit.Edit(), &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&edit.Edit(), &drop);
  return drop.isAccepted();
}

class FileEditTest : public QObject {
  Q_OBJECT

 private slots:
  void changeFiresOnEveryChangeAndNotForTheSameText() {
    FileEdit edit;
    QSignalSpy changed(&edit, &FileEdit::Changed);
    edit.SetText("/tmp/a.wad");
    QCOMPARE(changed.count(), 1);
    edit.SetText("/tmp/a.wad");
    QCOMPARE(changed.count(), 1);
    edit.SetText("");
    QCOMPARE(changed.count(), 2);
    edit.Edit().setFocus();
    QTest::keyClicks(&edit.Edit(), "abc");
    QCOMPARE(changed.count(), 5);  // one per keystroke
    QCOMPARE(edit.Text(), QString("abc"));
  }

  void filterPairsBecomeNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("filters");
    QTest::newRow("the source edit's two entries")
        << "Grand Prix 4 formats |*.gp4;*.bin;*.col;*.tex;*.cfp;*.dat|All formats(*.*)|*.*"
        << QStringList{"Grand Prix 4 formats (*.gp4 *.bin *.col *.tex *.cfp *.dat)", "All formats(*.*) (*)"};
    QTest::newRow("the archive edit's one entry") << "*.wad|*.wad" << QStringList{"*.wad (*.wad)"};
    QTest::newRow("the save dialog's wad filter") << "Wad file(*.wad)|*.wad" << QStringList{"Wad file(*.wad) (*.wad)"};
    QTest::newRow("none") << "" << QStringList{};
    QTest::newRow("a description without patterns") << "Lonely" << QStringList{};
  }
  void filterPairsBecomeNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, filters);
    QCOMPARE(skarvel::ui::qt::NameFilters(filter.toStdString()), filters);
  }

  void defaultExtensionBecomesASuffix() {
    QCOMPARE(skarvel::ui::qt::DefaultSuffix("*.wad"), QString("wad"));
    QCOMPARE(skarvel::ui::qt::DefaultSuffix(".tex"), QString("tex"));
    QCOMPARE(skarvel::ui::qt::DefaultSuffix(""), QString());
    QCOMPARE(skarvel::ui::qt::DefaultSuffix("*.*"), QString());
  }

  void aDroppedFileCountsAsAConfirmedBrowse() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("a.wad");
    QFile(file).open(QIODevice::WriteOnly);
    FileEdit edit;
    QSignalSpy changed(&edit, &FileEdit::Changed);
    QSignalSpy browsed(&edit, &FileEdit::Browsed);
    QVERIFY(Drop(edit, file));
    QCOMPARE(edit.Text(), file);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(browsed.count(), 1);
    // A folder only where folders are taken.
    QVERIFY(!Drop(edit, dir.path()));
    QCOMPARE(edit.Text(), file);
    edit.SetAcceptsFolders(true);
    QVERIFY(Drop(edit, dir.path()));
    QCOMPARE(edit.Text(), QDir(dir.path()).absolutePath());
    QCOMPARE(browsed.count(), 2);
    // A name that leads nowhere is not taken as a path.
    QVERIFY(!Drop(edit, dir.filePath("missing.wad")));
  }
};

}  // namespace

SKARVEL_WIDGET_TEST(FileEditTest)
#include "FileEditTest.moc"
