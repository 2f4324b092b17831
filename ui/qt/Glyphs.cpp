#include "ui/qt/Glyphs.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace skarvel::ui::qt {
namespace {

const QColor kBoxFill(196, 150, 88);
const QColor kBoxEdge(110, 72, 30);
const QColor kBoxBand(150, 104, 50);
const QColor kGreen(40, 150, 50);
const QColor kBlue(40, 90, 200);

// The archive itself: a small crate with a band across it.
void PaintWad(QPainter& p, const QRectF& box) {
  p.setPen(QPen(kBoxEdge, 1.0));
  p.setBrush(kBoxFill);
  p.drawRect(box);
  p.setPen(Qt::NoPen);
  p.setBrush(kBoxBand);
  p.drawRect(QRectF(box.left() + 0.5, box.center().y() - 1, box.width() - 1, 2));
}

void PaintArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
  p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(from, to);
  const QLineF shaft(to, from);
  QLineF side = shaft;
  side.setLength(4);
  side.setAngle(shaft.angle() + 40);
  p.drawLine(side);
  side.setAngle(shaft.angle() - 40);
  p.drawLine(side);
}

void PaintGlyph(QPainter& p, Glyph glyph) {
  switch (glyph) {
    case Glyph::CreateWad:
      PaintWad(p, QRectF(1.5, 5.5, 10, 9));
      p.setPen(QPen(kGreen, 2.0));
      p.drawLine(QPointF(12, 1), QPointF(12, 8));
      p.drawLine(QPointF(8.5, 4.5), QPointF(15.5, 4.5));
      break;
    case Glyph::ExtractWad:
      PaintWad(p, QRectF(1.5, 6.5, 10, 8));
      PaintArrow(p, QPointF(7, 9), QPointF(14, 2), kBlue);
      break;
    case Glyph::UpdateWad:
      PaintWad(p, QRectF(1.5, 6.5, 10, 8));
      PaintArrow(p, QPointF(14, 1), QPointF(9, 8), kGreen);
      break;
    case Glyph::UpdateTracks: {
      // A chequered flag on its pole.
      p.setPen(QPen(QColor(60, 60, 60), 1.5));
      p.drawLine(QPointF(2.5, 1), QPointF(2.5, 15));
      for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 5; ++column) {
          p.fillRect(QRectF(3 + column * 2.4, 2 + row * 2, 2.4, 2),
                     (row + column) % 2 == 0 ? QColor(20, 20, 20) : QColor(250, 250, 250));
        }
      }
      p.setPen(QPen(QColor(20, 20, 20), 0.8));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(3, 2, 12, 8));
      break;
    }
  }
}

// A disabled image: the picture in light greys.
QImage Greyed(QImage image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grey = 128 + qGray(line[x]) / 2;
      line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 3 / 4);
    }
  }
  return image;
}

QImage PaintedState(Glyph glyph, GlyphState state, int scale) {
  QImage image(kGlyphSize * scale, kGlyphSize * scale, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(scale, scale);
  // Clicked moves the picture one pixel down and right, as a pressed button does.
  if (state == kGlyphClicked) p.translate(1, 1);
  PaintGlyph(p, glyph);
  if (state == kGlyphDown) p.fillRect(QRectF(0, 0, kGlyphSize, kGlyphSize), QColor(0, 0, 0, 40));
  p.end();
  return state == kGlyphDisabled ? Greyed(image) : image;
}

}  // namespace

QImage GlyphStrip(Glyph glyph, int scale) {
  QImage strip(kGlyphSize * kGlyphStates * scale, kGlyphSize * scale, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  for (int state = 0; state < kGlyphStates; ++state) {
    p.drawImage(state * kGlyphSize * scale, 0, PaintedState(glyph, static_cast<GlyphState>(state), scale));
  }
  p.end();
  strip.setDevicePixelRatio(scale);
  return strip;
}

QIcon GlyphIcon(Glyph glyph, GlyphState state) {
  QIcon icon;
  for (int scale : {1, 2}) {
    const QImage strip = GlyphStrip(glyph, scale);
    QImage image = strip.copy(state * kGlyphSize * scale, 0, kGlyphSize * scale, kGlyphSize * scale);
    image.setDevicePixelRatio(scale);
    icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
  }
  return icon;
}

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  // A rounded tile in the status line's blue, a crate on it, a chequered band.
  QPainterPath tile;
  tile.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  p.fillPath(tile, QColor(105, 174, 231));
  p.setPen(QPen(QColor(40, 90, 160), 2));
  p.drawPath(tile);
  p.setPen(QPen(kBoxEdge, 2.5));
  p.setBrush(kBoxFill);
  p.drawRect(QRectF(12, 18, 40, 34));
  for (int column = 0; column < 8; ++column) {
    for (int row = 0; row < 2; ++row) {
      p.fillRect(QRectF(13.25 + column * 4.7, 29 + row * 5, 4.7, 5),
                 (row + column) % 2 == 0 ? QColor(20, 20, 20) : QColor(250, 250, 250));
    }
  }
  p.setPen(QPen(kBoxEdge, 2.5));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(12, 18), QPointF(20, 10));
  p.drawLine(QPointF(52, 18), QPointF(44, 10));
  p.drawLine(QPointF(20, 10), QPointF(44, 10));
  p.end();
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}

GlyphButton::GlyphButton(Glyph glyph, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent), glyph_(glyph) {
  setIconSize(QSize(kGlyphSize, kGlyphSize));
  connect(this, &QPushButton::pressed, this, [this] { ShowState(); });
  connect(this, &QPushButton::released, this, [this] { ShowState(); });
  ShowState();
}

void GlyphButton::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) ShowState();
}

void GlyphButton::ShowState() {
  GlyphState state = kGlyphUp;
  if (!isEnabled()) {
    state = kGlyphDisabled;
  } else if (isDown()) {
    state = kGlyphClicked;
  } else if (isChecked()) {
    state = kGlyphDown;
  }
  // The style would grey the image itself; the strip brings its own.
  QIcon icon = GlyphIcon(glyph_, state);
  if (state == kGlyphDisabled) {
    for (const QSize& size : icon.availableSizes()) icon.addPixmap(icon.pixmap(size), QIcon::Disabled);
  }
  setIcon(icon);
}

}  // namespace skarvel::ui::qt
