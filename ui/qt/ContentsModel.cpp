#include "ui/qt/ContentsModel.h"

#include "archive/ContentsList.h"
#include "ui/ContentsRows.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {

void ContentsModel::SetRows(std::vector<std::string> rows) {
  SortRows(rows);
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int ContentsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ContentsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

Qt::Alignment ContentsModel::ColumnAlignment(int column) {
  return (column == kSize ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QVariant ContentsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return DisplayText(FieldOf(rows_[static_cast<std::size_t>(index.row())], index.column()));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ColumnAlignment(index.column()));
    default:
      return {};
  }
}

QVariant ContentsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(section));
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case kFileName: return QStringLiteral("File Name");
    case kPath: return QStringLiteral("Path");
    case kSize: return QStringLiteral("Size");
    default: return {};
  }
}

}  // namespace skarvel::ui::qt
