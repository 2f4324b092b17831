#pragma once
// The rows of the contents list as a table model: each row is one text of
// ";"-separated fields, held whole and shown in three columns (the fourth field,
// the directory index, stays out of sight). The rows are kept in ascending order
// of their whole text without regard to case.
#include <QAbstractTableModel>

#include "ui/ContentsRows.h"
#include <string>
#include <vector>

namespace skarvel::ui::qt {

class ContentsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kFileName, kPath, kSize, kColumnCount };

  using QAbstractTableModel::QAbstractTableModel;

  // Replaces all rows and sorts them.
  void SetRows(std::vector<std::string> rows);
  // The texts in display order, internal form.
  const std::vector<std::string>& Rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  static Qt::Alignment ColumnAlignment(int column);

 private:
  std::vector<std::string> rows_;
};

using ui::SortRows;

}  // namespace skarvel::ui::qt
