// How long the folder tree takes to expand a folder of many subfolders: reading
// and sorting the names, asking each child whether it has subfolders of its own
// (for its expand button) and laying out and painting the view. The floor is
// tar reading the same folder tree (every subfolder opened and read) in the same run.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ui/qt/FolderListing.h"
#include "ui/qt/FolderTree.h"

namespace {

constexpr int kFolders = 20000;

double Milliseconds(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

double TimeTar(const QString& folder) {
  const std::string command = "tar -cf /dev/null -C '" + QDir(folder).absolutePath().toStdString() + "' .";
  QElapsedTimer timer;
  timer.start();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "tar failed\n");
  return Milliseconds(timer);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const QByteArray base = qgetenv("SKARVEL_BENCH_DIR");
  QTemporaryDir home(base.isEmpty() ? QDir::tempPath() + "/skarvel-bench-XXXXXX" : QString(base) + "/tree-XXXXXX");
  qputenv("HOME", home.path().toUtf8());  // the desktop falls back to the home folder
  qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
  const QString big = home.path() + "/big";
  for (int i = 0; i < kFolders; ++i) {
    std::filesystem::create_directories((big + QString("/folder %1").arg(i)).toStdString());
  }
  // Every tenth folder has one of its own, so that expand buttons differ.
  for (int i = 0; i < kFolders; i += 10) {
    std::filesystem::create_directory((big + QString("/folder %1/inner").arg(i)).toStdString());
  }

  QApplication app(argc, argv);
  QElapsedTimer timer;
  timer.start();
  const QStringList names = skarvel::ui::qt::ListSubfolders(big);
  const double listing = Milliseconds(timer);

  skarvel::ui::qt::FolderTree tree;
  tree.resize(218, 279);
  tree.show();
  QApplication::processEvents();
  auto& model = tree.Folders();
  QModelIndex bigIndex;
  for (int row = 0; row < model.rowCount(model.TopIndex()); ++row) {
    const QModelIndex child = model.index(row, 0, model.TopIndex());
    if (model.FolderPath(child) == big) bigIndex = child;
  }
  tree.setCurrentIndex(bigIndex);
  timer.restart();
  tree.expand(bigIndex);
  tree.repaint();
  QApplication::processEvents();
  const double expansion = Milliseconds(timer);
  const int rows = model.rowCount(bigIndex);
  const bool selectionKept = tree.SelectedFolder() == big;

  const double tar = TimeTar(big);
  std::printf("folders: %d (%lld listed, %d rows, selection kept: %s)\n", kFolders,
              static_cast<long long>(names.size()), rows, selectionKept ? "yes" : "no");
  std::printf("list+sort: %.1f ms  expand+paint: %.1f ms  tar: %.1f ms  expand/tar: %.2f\n", listing, expansion,
              tar, expansion / tar);
  return rows == kFolders && selectionKept ? 0 : 1;
}
