// The folder tree as it is built: its top item, the places and folders below
// it, folders only, a Wine drive_c, and a folder of 20,000 subfolders.
#include <QDir>
#include <QFile>
#include <QTest>
#include <filesystem>

#include "DialogTestSupport.h"
#include "ui/qt/FolderPlaces.h"
#include "ui/qt/FolderTree.h"

using skarvel::ui::qt::FolderTree;

namespace skarvel::test {

class FolderTreeTest : public QObject {
  Q_OBJECT

 private slots:
  void desktopFolder_data() {
    QTest::addColumn<QString>("userDirs");
    QTest::addColumn<QString>("folder");  // made below the home folder
    QTest::addColumn<QString>("expected");
    QTest::newRow("named in user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n" << "Bureau" << "Bureau";
    QTest::newRow("named but missing") << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n" << "" << "";
    QTest::newRow("no file: ~/Desktop") << "" << "" << "Desktop";
    QTest::newRow("the home folder itself") << "XDG_DESKTOP_DIR=\"$HOME/\"\n" << "" << "";
  }

  void desktopFolder() {
    QFETCH(QString, userDirs);
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    TestHome home;
    if (!folder.isEmpty()) home.MakeFolders({folder});
    if (!userDirs.isEmpty()) {
      QFile file(home.Path(".config/user-dirs.dirs"));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(userDirs.toUtf8());
    }
    QCOMPARE(ui::qt::DesktopFolder(), expected.isEmpty() ? home.Path() : home.Path(expected));
  }

  void topItemIsDesktopSelectedAndExpanded() {
    TestHome home;
    FolderTree tree;
    auto& model = tree.Folders();
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex top = model.TopIndex();
    QCOMPARE(top.data().toString(), QString("Desktop"));
    QVERIFY(tree.isExpanded(top));
    QCOMPARE(tree.SelectedFolder(), home.Desktop());
    QVERIFY(!tree.rootIsDecorated());
  }

  void placesThenDesktopFolders() {
    TestHome home;
    home.MakeFolders({"Desktop/zeta", "Desktop/Alpha", "Desktop/folder 10", "Desktop/folder 9", "Desktop/.hidden",
                      "wine-gp4/drive_c", ".wine/drive_c", "linked target"});
    home.MakeFile("Desktop/notes.txt");
    std::filesystem::create_directory_symlink(home.Path("linked target").toStdString(),
                                              home.Path("Desktop/link").toStdString());
    std::filesystem::create_symlink(home.Path("Desktop/notes.txt").toStdString(),
                                    home.Path("Desktop/file link").toStdString());
    FolderTree tree;
    auto& model = tree.Folders();
    const QStringList labels = ChildLabels(model, model.TopIndex());
    QCOMPARE(labels.first(), QString("Home"));
    QCOMPARE(model.FolderPath(model.index(0, 0, model.TopIndex())), home.Path());
    QCOMPARE(model.FolderPath(model.index(1, 0, model.TopIndex())), QString("/"));
    // Mounted volumes of the machine come between the root and the Wine drives.
    const QStringList tail = labels.mid(labels.size() - 7);
    QCOMPARE(tail, QStringList({"drive_c (~/wine-gp4)", "drive_c (~/.wine)", "Alpha", "folder 9", "folder 10",
                                "link", "zeta"}));
  }

  void wineDriveReachedInTwoExpansions() {
    TestHome home;
    home.MakeFolders({"wine-gp4/drive_c/Program Files/Infogrames/Grand Prix 4"});
    FolderTree tree;
    tree.show();
    auto& model = tree.Folders();
    const QModelIndex drive = ChildNamed(model, model.TopIndex(), "drive_c (~/wine-gp4)");
    QVERIFY(drive.isValid());
    // As the user does it: select, then the right arrow expands.
    tree.setCurrentIndex(drive);
    QTest::keyClick(&tree, Qt::Key_Right);
    const QModelIndex programFiles = ChildNamed(model, drive, "Program Files");
    QVERIFY(programFiles.isValid());
    tree.setCurrentIndex(programFiles);
    QTest::keyClick(&tree, Qt::Key_Right);
    const QModelIndex publisher = ChildNamed(model, programFiles, "Infogrames");
    QVERIFY(publisher.isValid());
    tree.setCurrentIndex(publisher);
    QCOMPARE(tree.SelectedFolder(), home.Path("wine-gp4/drive_c/Program Files/Infogrames"));
  }

  void expandButtonOnlyWithSubfolders() {
    TestHome home;
    home.MakeFolders({"Desktop/parent/child", "Desktop/leaf", "Desktop/hidden only/.git"});
    home.MakeFile("Desktop/leaf/file.txt");
    FolderTree tree;
    tree.resize(300, 600);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    tree.repaint();  // the rows in sight learn whether they have subfolders
    auto& model = tree.Folders();
    const QModelIndex top = model.TopIndex();
    QVERIFY(model.hasChildren(ChildNamed(model, top, "parent")));
    QVERIFY(!model.hasChildren(ChildNamed(model, top, "leaf")));
    QVERIFY(!model.hasChildren(ChildNamed(model, top, "hidden only")));
  }

  void twentyThousandSubfoldersExpand() {
    TestHome home("/dev/shm");  // making 20,000 folders on a disk can take longer than the test
    constexpr int kCount = 20000;
    for (int i = 0; i < kCount; ++i) QVERIFY(QDir().mkpath(home.Path(QString("Desktop/big/sub %1").arg(i))));
    FolderTree tree;
    tree.show();
    auto& model = tree.Folders();
    const QModelIndex big = ChildNamed(model, model.TopIndex(), "big");
    tree.setCurrentIndex(big);
    tree.expand(big);
    // The value right after the expansion is still the selected folder.
    QCOMPARE(tree.SelectedFolder(), home.Path("Desktop/big"));
    QCOMPARE(model.rowCount(big), kCount);
    QCOMPARE(model.index(2, 0, big).data().toString(), QString("sub 2"));
    QCOMPARE(model.index(kCount - 1, 0, big).data().toString(), QString("sub %1").arg(kCount - 1));
    tree.setCurrentIndex(model.index(kCount - 1, 0, big));
    QCOMPARE(tree.SelectedFolder(), home.Path(QString("Desktop/big/sub %1").arg(kCount - 1)));
  }
};

static TestRegistration registration([] { return new FolderTreeTest; });

}  // namespace skarvel::test

#include "FolderTreeTest.moc"
