// The Qt main window: its client sizes, the places of its controls, its tab
// order, and its initialisation through TForm1 with a real registry and archive.
#include <QFile>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "archive/AppState.h"
#include "archive/WadArchive.h"
#include "host/Encoding.h"
#include "host/GameFolder.h"
#include "host/SettingsStore.h"
#include "ui/WadUnit.h"
#include "ui/qt/MainWindow.h"
#include "WidgetTest.h"

using skarvel::ui::qt::MainWindow;

namespace {

// An archive of the given names, one byte each, written by the engine.
void WriteArchive(const QString& path, const std::vector<std::string>& names) {
  skarvel::WadArchive wad;
  const auto count = static_cast<std::int32_t>(names.size());
  wad.Count = count;
  wad.Entries.resize(names.size());
  wad.Payloads.resize(names.size());
  std::int32_t offset = 4 + 136 * count;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::copy(names[i].begin(), names[i].end(), wad.Entries[i].Name);
    wad.Entries[i].Offset = offset;
    wad.Entries[i].Size = 1;
    wad.Payloads[i] = "x";
    ++offset;
  }
  skarvel::RebuildWad(wad, skarvel::ToInternalPath(path.toStdString()), count);
}

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void clientSizeFollowsTheOuterHeights_data() {
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("client");
    QTest::addColumn<int>("list");
    QTest::newRow("collapsed") << 208 << 174 << 0;
    QTest::newRow("shown") << 467 << 433 << 259;
    QTest::newRow("minimum") << 178 << 144 << 0;
  }
  void clientSizeFollowsTheOuterHeights() {
    QFETCH(int, outer);
    QFETCH(int, client);
    QFETCH(int, list);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetWindowHeight(outer);
    QCOMPARE(window.size(), QSize(433, client));
    QCOMPARE(window.LMDFiles().isVisible(), list > 0);
    if (list > 0) QCOMPARE(window.LMDFiles().geometry(), QRect(0, 153, 433, list));
    QCOMPARE(window.PanelDown().geometry(), QRect(0, client - 21, 433, 21));
    QCOMPARE(window.minimumSize(), QSize(433, 144));
    QCOMPARE(window.maximumWidth(), 433);
  }

  void controlsSitAtTheirPlaces() {
    MainWindow window;
    QCOMPARE(window.SelectFolder().geometry(), QRect(176, 4, 121, 15));
    QCOMPARE(window.LMDFile1().geometry(), QRect(8, 21, 417, 20));
    QCOMPARE(window.BtnGP4Path().geometry(), QRect(320, 52, 105, 15));
    QCOMPARE(window.LMDFile2().geometry(), QRect(8, 69, 417, 20));
    QCOMPARE(window.BtnUpdate1Wad().geometry(), QRect(216, 96, 88, 22));
    QCOMPARE(window.BtnUpdateTracks().geometry(), QRect(312, 96, 113, 22));
    QCOMPARE(window.ProgressBar().geometry(), QRect(8, 126, 417, 16));
    QCOMPARE(window.LMDButton1().geometry(), QRect(128, 3, 169, 15));
    QCOMPARE(window.font().pointSize(), 8);
    QCOMPARE(window.LMDFile1().Text(), QString("...or select a file"));
    QCOMPARE(window.LMDFile2().Edit().accessibleName(),
             QString("Select one of the GP4's wad to patch or the wad to extract"));
  }

  void tabOrderStartsAtUpdateWad() {
    MainWindow window;
    window.ShowCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), &window.BtnUpdate1Wad());
    const QWidget* expected[] = {&window.LMDFile2().Edit(), &window.LMDFile2().BrowseButton(), &window.SelectFolder(),
                                 &window.LMDFile1().Edit(), &window.LMDFile1().BrowseButton(), &window.BtnCreateWad(),
                                 &window.BtnExtractWad(), &window.BtnUpdateTracks(), &window.BtnGP4Path(),
                                 &window.LMDButton1()};
    for (const QWidget* next : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
  }

  void settingTheArchiveTextFiresTheChangeOnce() {
    MainWindow window;
    QSignalSpy changed(&window.LMDFile2(), &skarvel::ui::qt::FileEdit::Changed);
    window.SetArchiveText("\\tmp\\caf\xE9.wad");
    QCOMPARE(window.LMDFile2().Text(), QString::fromUtf8("/tmp/café.wad"));
    QCOMPARE(window.ArchiveText(), std::string("\\tmp\\caf\xE9.wad"));
    window.SetArchiveText("\\tmp\\caf\xE9.wad");
    QCOMPARE(changed.count(), 1);
  }

  // The initialisation over the Qt window: the remembered archive in a found
  // game folder is listed, out of sight until the show/hide button is pressed.
  void formCreateListsTheRememberedArchive() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString game = dir.filePath("game");
    QVERIFY(QDir().mkpath(game));
    QFile(game + "/GP4.exe").open(QIODevice::WriteOnly);
    const QString archive = game + "/cars.wad";
    WriteArchive(archive, {"cars\\b.tex", "cars\\A.tex", "readme.txt"});

    skarvel::AppState state(skarvel::Registry::AtFolder(dir.filePath("registry").toStdString()));
    skarvel::regpath(state.registry, skarvel::ToInternalPath(game.toStdString()));
    skarvel::SettingsStore::Open(state.registry, skarvel::kMainSettingsKey)
        .WriteString("WadName", skarvel::ToInternalPath(archive.toStdString()));

    MainWindow window;
    skarvel::ui::TForm1 form(state, window);
    window.Bind(form);
    form.FormCreate();
    QCOMPARE(window.LMDFile2().Text(), archive);
    QCOMPARE(window.ArchiveInitialFolder(), skarvel::ToInternalPath(game.toStdString()));
    QCOMPARE(window.LMDFiles().Model().rowCount(), 3);
    QCOMPARE(window.LMDFiles().Model().index(0, 0).data().toString(), QString("A.tex"));
    QCOMPARE(window.height(), 174);
    QTest::mouseClick(&window.LMDButton1(), Qt::LeftButton);
    QCOMPARE(window.height(), 433);
    QVERIFY(form.FilesShown());

    // Typing another name lists again as soon as it names an archive; until
    // then the rows stay.
    const QString other = game + "/one.wad";
    WriteArchive(other, {"only.gp4"});
    window.LMDFile2().SetText(other.chopped(1));
    QCOMPARE(window.LMDFiles().Model().rowCount(), 3);
    QTest::keyClick(&window.LMDFile2().Edit(), Qt::Key_End);
    QTest::keyClicks(&window.LMDFile2().Edit(), "d");
    QCOMPARE(window.LMDFiles().Model().rowCount(), 1);
  }

  // While a handler runs the pointer is busy, and a click given meanwhile
  // (queued, as the window system queues it) is dropped when it ends instead
  // of running afterwards.
  void inputGivenDuringAnOperationIsDropped() {
    QTemporaryDir dir;
    skarvel::AppState state(skarvel::Registry::AtFolder(dir.filePath("registry").toStdString()));
    MainWindow window;
    skarvel::ui::TForm1 form(state, window);
    window.Bind(form);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy toggled(&window.LMDButton1(), &QPushButton::clicked);
    bool busy = false;
    form.RunOperation([&] {
      busy = QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      const QPoint centre = window.LMDButton1().rect().center();
      for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(&window.LMDButton1(),
                                    new QMouseEvent(type, centre, window.LMDButton1().mapToGlobal(centre),
                                                    Qt::LeftButton, type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                                     : Qt::NoButton,
                                                    Qt::NoModifier));
      }
    });
    QVERIFY(busy);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QTest::qWait(50);
    QCOMPARE(toggled.count(), 0);
    QVERIFY(!form.FilesShown());
    // Input after the operation is the user's next action, and counts.
    QTest::mouseClick(&window.LMDButton1(), Qt::LeftButton);
    QVERIFY(form.FilesShown());
  }

  // The folder of the last extraction, proposed again, is confirmed with one
  // press, though it exists: Qt's dialog would open it instead.
  void theSaveDialogConfirmsAProposedFolderThatExists() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("out/cars")));
    MainWindow window;
    const std::string proposed = skarvel::ToInternalPath(dir.filePath("out/cars").toStdString());
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      QTest::keyClick(dialog, Qt::Key_Enter);
    });
    // Should Enter open the folder instead, the dialog is closed, and the test fails without hanging.
    QTimer::singleShot(5000, &window, [] {
      if (QWidget* open = QApplication::activeModalWidget()) open->close();
    });
    QCOMPARE(window.RunSaveDialog(proposed, ""), std::optional<std::string>(proposed));
  }
};

}  // namespace

SKARVEL_WIDGET_TEST(MainWindowTest)
#include "MainWindowTest.moc"
