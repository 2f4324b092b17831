// Writes the pictures that the Windows program carries in its resources, from
// the very pictures the Linux window paints: the application icon as an .ico
// (each size as a 32-bit image with alpha, the largest as PNG, as Windows
// stores them) and the four glyph strips as 32-bit bitmaps with alpha.
//   skarvel-render-windows-pictures FOLDER          writes them into FOLDER
//   skarvel-render-windows-pictures --check FOLDER  exit 1 if FOLDER's differ
// The Windows build cannot paint with Qt, so the files are kept in the tree
// (ui/win32/resources) and the check, run with the tests, says when they are
// out of date.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstring>
#include <map>

#include "ui/qt/Glyphs.h"

namespace {

using skarvel::ui::qt::Glyph;

void Put16(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(QByteArray& out, qint64 value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>((value >> 16) & 0xFFFF));
}

// A BITMAPINFOHEADER; height doubled for an icon's colour and mask rows.
void PutInfoHeader(QByteArray& out, int width, int height, qint64 imageBytes) {
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 2835);  // 72 dpi, as pixels per metre
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
}

// Rows from the bottom up, blue, green, red, alpha, the alpha not premultiplied.
QByteArray BottomUpPixels(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  QByteArray pixels;
  for (int y = image.height() - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      pixels.append(static_cast<char>(qBlue(line[x])));
      pixels.append(static_cast<char>(qGreen(line[x])));
      pixels.append(static_cast<char>(qRed(line[x])));
      pixels.append(static_cast<char>(qAlpha(line[x])));
    }
  }
  return pixels;
}

QByteArray IconImage(int size) {
  const QImage image = skarvel::ui::qt::ApplicationIconImage(size);
  QByteArray data;
  if (size >= 256) {
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
  }
  const QByteArray pixels = BottomUpPixels(image);
  const int maskRow = ((size + 31) / 32) * 4;  // one bit a pixel, rows of whole 32-bit words
  PutInfoHeader(data, size, 2 * size, pixels.size() + maskRow * size);
  data.append(pixels);
  data.append(QByteArray(maskRow * size, '\0'));  // the alpha decides; the mask lets all through
  return data;
}

QByteArray IconFile() {
  const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
  const int count = static_cast<int>(std::size(sizes));
  QByteArray header;
  Put16(header, 0);
  Put16(header, 1);  // an icon
  Put16(header, count);
  QByteArray images;
  qint64 offset = 6 + 16 * count;
  for (int size : sizes) {
    const QByteArray image = IconImage(size);
    header.append(static_cast<char>(size >= 256 ? 0 : size));
    header.append(static_cast<char>(size >= 256 ? 0 : size));
    header.append('\0');  // no palette
    header.append('\0');
    Put16(header, 1);
    Put16(header, 32);
    Put32(header, image.size());
    Put32(header, offset);
    offset += image.size();
    images.append(image);
  }
  return header + images;
}

QByteArray BitmapFile(const QImage& image) {
  const QByteArray pixels = BottomUpPixels(image);
  QByteArray file("BM");
  Put32(file, 14 + 40 + pixels.size());
  Put32(file, 0);
  Put32(file, 14 + 40);
  PutInfoHeader(file, image.width(), image.height(), pixels.size());
  return file + pixels;
}

std::map<QString, QByteArray> Pictures() {
  using skarvel::ui::qt::GlyphStrip;
  return {
      {"skarvel.ico", IconFile()},
      {"glyph-create-wad.bmp", BitmapFile(GlyphStrip(Glyph::CreateWad))},
      {"glyph-extract-wad.bmp", BitmapFile(GlyphStrip(Glyph::ExtractWad))},
      {"glyph-update-wad.bmp", BitmapFile(GlyphStrip(Glyph::UpdateWad))},
      {"glyph-update-tracks.bmp", BitmapFile(GlyphStrip(Glyph::UpdateTracks))},
  };
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (argc != 2 && !check) {
    std::fputs("usage: skarvel-render-windows-pictures [--check] FOLDER\n", stderr);
    return 2;
  }
  // Painting needs the fonts and the image plugins of an application, not a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[argc - 1]);
  int status = 0;
  for (const auto& [name, bytes] : Pictures()) {
    QFile file(folder + "/" + name);
    if (check) {
      if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes) {
        std::fprintf(stderr, "%s is not the picture the window paints; run skarvel-render-windows-pictures %s\n",
                     qPrintable(file.fileName()), qPrintable(folder));
        status = 1;
      }
    } else if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
      std::fprintf(stderr, "skarvel-render-windows-pictures: cannot write %s\n", qPrintable(file.fileName()));
      status = 1;
    }
  }
  return status;
}
