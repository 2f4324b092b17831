// Writes the program's painted icon as PNG files, one per size, into the icon
// theme's layout below the given folder (<size>x<size>/skarvel.png), so that
// the installed pictures are the very icon the window shows.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

#include "ui/qt/Glyphs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: skarvel-render-icons FOLDER\n", stderr);
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString folder = root + QStringLiteral("/%1x%1").arg(size);
    const QString file = folder + QStringLiteral("/skarvel.png");
    if (!QDir().mkpath(folder) || !skarvel::ui::qt::ApplicationIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "skarvel-render-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
