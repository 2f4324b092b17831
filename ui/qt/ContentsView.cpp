#include "ui/qt/ContentsView.h"

#include <QMouseEvent>

#include <QApplication>
#include <QPainter>

#include "host/Errors.h"

namespace skarvel::ui::qt {

void RowFieldDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  const QString text = cell.text;
  cell.text.clear();  // the style draws the cell's background, selection and focus; the text follows the row rule
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

  const QRect field(option.rect.left() + 1, option.rect.top(), option.rect.width() - 2, option.rect.height());
  if (field.width() <= 0 || text.isEmpty()) return;
  painter->save();
  painter->setClipRect(field, Qt::IntersectClip);
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setFont(option.font);
  painter->drawText(field, static_cast<int>(ContentsModel::ColumnAlignment(index.column())) | Qt::TextSingleLine,
                    text);
  painter->restore();
}

FixedHeightHeader::FixedHeightHeader(int height, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), height_(height) {}

QSize FixedHeightHeader::sizeHint() const { return {QHeaderView::sizeHint().width(), height_}; }

ContentsView::ContentsView(QWidget* parent) : QTreeView(parent), model_(this), delegate_(this) {
  auto* header = new FixedHeightHeader(kHeaderHeight, this);
  setHeader(header);
  setModel(&model_);
  setItemDelegate(&delegate_);
  setRootIsDecorated(false);
  setIndentation(0);
  setItemsExpandable(false);
  setUniformRowHeights(true);  // tens of thousands of rows: no row is measured alone
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setTextElideMode(Qt::ElideNone);
  header->setSectionsClickable(false);
  header->setSortIndicatorShown(false);
  header->setSectionsMovable(false);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int column = 0; column < ContentsModel::kColumnCount; ++column) header->resizeSection(column, kColumnWidths[column]);
  setAccessibleName(QStringLiteral("Files in the wad"));
}

int ContentsView::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void ContentsView::SelectRow(int row) {
  if (row < 0 || row >= model_.rowCount()) {
    selectionModel()->clearSelection();
    return;
  }
  const QModelIndex index = model_.index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ContentsView::SetRows(std::vector<std::string> rows) { model_.SetRows(std::move(rows)); }

std::string ContentsView::SelectedRowField(int k) const {
  const int row = SelectedRow();
  if (row < 0) throw ListIndexError(-1);
  return FieldOf(model_.Rows()[static_cast<std::size_t>(row)], k);
}

void ContentsView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  // The empty part below the rows names no entry to extract.
  if (indexAt(event->position().toPoint()).isValid()) emit DoubleClicked();
}

}  // namespace skarvel::ui::qt
