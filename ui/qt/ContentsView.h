#pragma once
// The contents list LMDFiles: a header of three resizable columns over the
// sorted rows of a ContentsModel, one selected row, no grid. A header click
// does nothing; a double-click anywhere on the rows emits DoubleClicked.
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <string>
#include <vector>

#include "archive/ContentsList.h"
#include "ui/qt/ContentsModel.h"

namespace skarvel::ui::qt {

// Draws field i of a row in column i from x + 1 to x + w - 1 of the column,
// clipped, on one line, with the column's alignment.
class RowFieldDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// A header of a fixed height.
class FixedHeightHeader : public QHeaderView {
 public:
  FixedHeightHeader(int height, QWidget* parent);
  QSize sizeHint() const override;

 private:
  int height_;
};

class ContentsView : public QTreeView, public ContentsList {
  Q_OBJECT

 public:
  static constexpr int kHeaderHeight = 17;
  static constexpr int kColumnWidths[ContentsModel::kColumnCount] = {200, 120, 76};

  explicit ContentsView(QWidget* parent = nullptr);

  ContentsModel& Model() { return model_; }

  // The position of the selected row in display order, -1 when none is selected.
  int SelectedRow() const;
  // Selects the row at a display position (-1 clears the selection).
  void SelectRow(int row);

  // ContentsList
  void SetRows(std::vector<std::string> rows) override;
  std::string SelectedRowField(int k) const override;

 signals:
  void DoubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  ContentsModel model_;
  RowFieldDelegate delegate_;
};

}  // namespace skarvel::ui::qt
