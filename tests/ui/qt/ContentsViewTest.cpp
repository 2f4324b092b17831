// The contents list: its order, its fields, the drawing of a row into the
// columns, and the selected row's fields.
#include <QTest>
#include <QImage>
#include <QSignalSpy>

#include "host/Errors.h"
#include "ui/qt/ContentsView.h"
#include "ui/qt/MainWindow.h"
#include "WidgetTest.h"

using skarvel::ui::qt::ContentsView;

namespace {

// Where a row's text was drawn: the columns x in [from, to) of a row's band
// that hold a dark pixel.
struct Ink {
  int first = -1;
  int last = -1;
};

Ink InkOf(const QImage& image, int top, int bottom, int from, int to) {
  Ink ink;
  for (int x = from; x < to; ++x) {
    for (int y = top; y < bottom; ++y) {
      if (qGray(image.pixel(x, y)) < 128) {
        if (ink.first < 0) ink.first = x;
        ink.last = x;
        break;
      }
    }
  }
  return ink;
}

class ContentsViewTest : public QObject {
  Q_OBJECT

 private:
  // A list of the layout's size holding the rows, drawn into an image.
  struct Drawn {
    QImage image;
    QRect rowBand;  // the first row
  };

  static Drawn Draw(ContentsView& view) {
    view.resize(433, 120);
    view.setFont(skarvel::ui::qt::ProgramFont());
    // The rows' own coordinates: the columns start at 0 there.
    const QRect row = view.visualRect(view.Model().index(0, 0));
    return Drawn{view.viewport()->grab().toImage(), QRect(0, row.top(), view.viewport()->width(), row.height())};
  }

 private slots:
  void rowsAreInCaseInsensitiveOrderOfTheirWholeText_data() {
    QTest::addColumn<QByteArrayList>("given");
    QTest::addColumn<QByteArrayList>("shown");
    QTest::newRow("capital first by its letter") << QByteArrayList{"b.tex;;4;0", "A.tex;;5;1"}
                                                 << QByteArrayList{"A.tex;;5;1", "b.tex;;4;0"};
    QTest::newRow("same name: by folder") << QByteArrayList{"car.tex;cars\\;1;0", "car.tex;CARS\\b\\;1;1", "car.tex;art\\;1;2"}
                                          << QByteArrayList{"car.tex;art\\;1;2", "car.tex;cars\\;1;0", "car.tex;CARS\\b\\;1;1"};
    QTest::newRow("then size and index as text") << QByteArrayList{"a;d\\;20;1", "a;d\\;100;0", "a;d\\;20;0"}
                                                 << QByteArrayList{"a;d\\;100;0", "a;d\\;20;0", "a;d\\;20;1"};
    QTest::newRow("equal but for case: a fixed order") << QByteArrayList{"x.bin;;1;0", "X.bin;;1;0"}
                                                        << QByteArrayList{"X.bin;;1;0", "x.bin;;1;0"};
    QTest::newRow("accented capitals lower too") << QByteArrayList{"\xC9t\xE9.tex;;1;0", "f.tex;;1;1", "\xE9" "a.tex;;1;2"}
                                                 << QByteArrayList{"f.tex;;1;1", "\xE9" "a.tex;;1;2", "\xC9t\xE9.tex;;1;0"};
    QTest::newRow("no rows") << QByteArrayList{} << QByteArrayList{};
  }
  void rowsAreInCaseInsensitiveOrderOfTheirWholeText() {
    QFETCH(QByteArrayList, given);
    QFETCH(QByteArrayList, shown);
    // The rows are internal texts: Windows-1252 bytes.
    std::vector<std::string> rows;
    for (const QByteArray& row : given) rows.push_back(row.toStdString());
    ContentsView view;
    view.SetRows(rows);
    QByteArrayList order;
    for (const std::string& row : view.Model().Rows()) order << QByteArray::fromStdString(row);
    QCOMPARE(order, shown);
    QCOMPARE(view.Model().rowCount(), shown.size());
  }

  void columnsShowTheFirstThreeFields_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("name, folder, size; the index hidden") << QByteArray("track.gp4;data\\;1024;7") << QStringList{"track.gp4", "data\\", "1024"};
    QTest::newRow("empty folder") << QByteArray("a.tex;;12;3") << QStringList{"a.tex", "", "12"};
    QTest::newRow("fewer fields") << QByteArray("lonely") << QStringList{"lonely", "", ""};
    QTest::newRow("name in Windows-1252") << QByteArray("caf\xE9.tex;;1;0") << QStringList{QString::fromUtf8("café.tex"), "", "1"};
  }
  void columnsShowTheFirstThreeFields() {
    QFETCH(QByteArray, row);
    QFETCH(QStringList, columns);
    ContentsView view;
    view.SetRows({row.toStdString()});
    QCOMPARE(view.Model().columnCount(), 3);
    for (int column = 0; column < 3; ++column) {
      QCOMPARE(view.Model().index(0, column).data().toString(), columns[column]);
    }
    QCOMPARE(view.Model().headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Size"));
    QVERIFY(view.Model().index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
  }

  void headerAndColumnsHaveTheirSizes() {
    ContentsView view;
    view.resize(433, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.header()->height(), 17);
    QCOMPARE(view.header()->sectionSize(0), 200);
    QCOMPARE(view.header()->sectionSize(1), 120);
    QCOMPARE(view.header()->sectionSize(2), 76);
    QVERIFY(!view.header()->sectionsClickable());
    QCOMPARE(view.header()->sectionResizeMode(0), QHeaderView::Interactive);
  }

  void aRowIsDrawnIntoItsColumns() {
    ContentsView view;
    view.SetRows({"track.gp4;data\\;1024;7"});
    const Drawn drawn = Draw(view);
    const int top = drawn.rowBand.top();
    const int bottom = drawn.rowBand.bottom();
    const Ink name = InkOf(drawn.image, top, bottom, 0, 200);
    const Ink folder = InkOf(drawn.image, top, bottom, 200, 320);
    const Ink size = InkOf(drawn.image, top, bottom, 320, 396);
    // Left-aligned fields start just inside their column, the size ends just inside its own.
    QVERIFY2(name.first >= 1 && name.first <= 3, qPrintable(QString::number(name.first)));
    QVERIFY2(folder.first >= 201 && folder.first <= 203, qPrintable(QString::number(folder.first)));
    QVERIFY2(size.last <= 394 && size.last >= 390, qPrintable(QString::number(size.last)));
    QVERIFY(size.first > 340);  // right-aligned: "1024" sits at the column's right end
    // The index field is never drawn.
    QCOMPARE(InkOf(drawn.image, top, bottom, 397, view.viewport()->width()).first, -1);
  }

  void aLongFieldIsClippedInsideItsColumn() {
    ContentsView view;
    view.SetRows({std::string(80, 'W') + ";;1;0"});
    Drawn drawn = Draw(view);
    QVERIFY(InkOf(drawn.image, drawn.rowBand.top(), drawn.rowBand.bottom(), 0, 199).last >= 190);
    QCOMPARE(InkOf(drawn.image, drawn.rowBand.top(), drawn.rowBand.bottom(), 199, 320).first, -1);
    // Dragging the border narrows the column, and the row is drawn at the new width.
    view.header()->resizeSection(0, 100);
    drawn = Draw(view);
    QCOMPARE(InkOf(drawn.image, drawn.rowBand.top(), drawn.rowBand.bottom(), 99, 220).first, -1);
    QVERIFY(InkOf(drawn.image, drawn.rowBand.top(), drawn.rowBand.bottom(), 0, 99).last >= 90);
  }

  void selectedRowFieldOnAnEmptyListIsTheListIndexError() {
    ContentsView view;
    QCOMPARE(view.SelectedRow(), -1);
    try {
      view.SelectedRowField(0);
      QFAIL("no error");
    } catch (const skarvel::ListIndexError& error) {
      QCOMPARE(QString(error.what()), QString("Indice de liste hors limites (-1)"));
    }
  }

  void selectedRowFieldReadsTheRowInDisplayOrder() {
    ContentsView view;
    view.SetRows({"b.tex;;4;0", "A.tex;maps\\;5;1"});
    QVERIFY_THROWS_EXCEPTION(skarvel::ListIndexError, view.SelectedRowField(3));
    view.SelectRow(0);
    QCOMPARE(view.SelectedRow(), 0);
    QCOMPARE(view.SelectedRowField(0), std::string("A.tex"));
    QCOMPARE(view.SelectedRowField(1), std::string("maps\\"));
    QCOMPARE(view.SelectedRowField(3), std::string("1"));
    QCOMPARE(view.SelectedRowField(4), std::string());
    // New rows take the selection away.
    view.SetRows({"c;;1;0"});
    QCOMPARE(view.SelectedRow(), -1);
  }

  // Only a row names an entry to extract; the empty part below names none.
  void aDoubleClickCountsOnARowOnly() {
    ContentsView view;
    view.resize(433, 120);
    view.SetRows({"a.tex;;1;0"});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy doubleClicked(&view, &ContentsView::DoubleClicked);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, view.viewport()->height() - 5));
    QCOMPARE(doubleClicked.count(), 0);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(view.Model().index(0, 0)).center());
    QCOMPARE(doubleClicked.count(), 1);
  }
};

}  // namespace

SKARVEL_WIDGET_TEST(ContentsViewTest)
#include "ContentsViewTest.moc"
