// The status line: the filled width and the caption as drawn, and drawing at
// once, without the event loop.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "ui/qt/StatusLine.h"
#include "WidgetTest.h"

using skarvel::ui::qt::StatusLine;

namespace {

// The filled pixels of the status line's middle line, from its left edge.
int FilledPixels(const QImage& image) {
  const int y = image.height() / 2;
  int filled = 0;
  for (int x = 0; x < image.width(); ++x) {
    if (image.pixel(x, y) == StatusLine::kFillColour) ++filled;
  }
  return filled;
}

int FirstFilledPixel(const QImage& image) {
  const int y = image.height() / 2;
  for (int x = 0; x < image.width(); ++x) {
    if (image.pixel(x, y) == StatusLine::kFillColour) return x;
  }
  return -1;
}

// Counts the paint events a widget receives, each of them drawn at once.
struct PaintCounter : QObject {
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

class StatusLineTest : public QObject {
  Q_OBJECT

 private slots:
  void filledWidthIsThePercentOfTheInnerWidth_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("held");
    QTest::newRow("0: empty") << 0 << 0;
    QTest::newRow("50: half, fraction dropped") << 50 << 50;
    QTest::newRow("100: full") << 100 << 100;
    QTest::newRow("150: held as 100") << 150 << 100;
    QTest::newRow("33") << 33 << 33;
  }
  void filledWidthIsThePercentOfTheInnerWidth() {
    QFETCH(int, percent);
    QFETCH(int, held);
    StatusLine line;
    line.resize(417, 16);  // inner width 415 inside the one-pixel bevel
    line.SetPosition(static_cast<std::uint8_t>(percent));
    QCOMPARE(line.Position(), held);
    const QImage image = line.grab().toImage();
    QCOMPARE(FilledPixels(image), 415 * held / 100);
    if (held > 0) QCOMPARE(FirstFilledPixel(image), 1);  // from the left, inside the bevel
  }

  void positionZeroKeepsTheCaption() {
    StatusLine line;
    line.resize(417, 16);
    line.SetCaption("Updating a.wad : 40%");
    line.SetPosition(40);
    line.SetPosition(0);
    QCOMPARE(line.Caption(), std::string("Updating a.wad : 40%"));
    QCOMPARE(line.accessibleName(), QString("Updating a.wad : 40%"));
  }

  void theCaptionIsDrawnCentred() {
    StatusLine line;
    line.resize(417, 16);
    line.SetCaption("Update done in 0.2s");
    const QImage image = line.grab().toImage();
    int first = -1;
    int last = -1;
    for (int x = 2; x < image.width() - 2; ++x) {
      for (int y = 2; y < image.height() - 2; ++y) {
        if (qGray(image.pixel(x, y)) < 100) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    }
    QVERIFY(first > 0);
    QVERIFY2(std::abs((first + last) / 2 - image.width() / 2) <= 3,
             qPrintable(QString("%1..%2").arg(first).arg(last)));
  }

  void settingTheHeldValueDrawsNothing() {
    StatusLine line;
    line.resize(417, 16);
    line.show();
    QVERIFY(QTest::qWaitForWindowExposed(&line));
    PaintCounter paints;
    line.installEventFilter(&paints);
    line.SetPosition(150);
    QCOMPARE(paints.count, 1);
    line.SetPosition(100);  // the value it holds
    line.SetPosition(200);  // held as that value too
    QCOMPARE(paints.count, 1);
    line.SetCaption("same");
    line.Repaint();
    QCOMPARE(paints.count, 3);
  }

  // What the screen shows right after a change, with no event handled in
  // between: an operation's loop never lets the event loop run.
  void drawsAtOnceWithoutTheEventLoop() {
    StatusLine line;
    line.resize(417, 16);
    line.show();
    QVERIFY(QTest::qWaitForWindowExposed(&line));
    QScreen* screen = QGuiApplication::primaryScreen();
    const auto shown = [&] { return screen->grabWindow(line.winId()).toImage(); };
    line.SetPosition(50);
    QCOMPARE(FilledPixels(shown()), 415 / 2);
    line.SetPosition(100);
    QCOMPARE(FilledPixels(shown()), 415);
    line.SetPosition(0);
    QCOMPARE(FilledPixels(shown()), 0);
    line.SetCaption("Wad created in 1.5s");
    QVERIFY(shown() != QImage());
    bool ink = false;
    const QImage image = shown();
    for (int x = 0; x < image.width() && !ink; ++x) ink = qGray(image.pixel(x, image.height() / 2)) < 100;
    QVERIFY(ink);
  }
};

}  // namespace

SKARVEL_WIDGET_TEST(StatusLineTest)
#include "StatusLineTest.moc"
