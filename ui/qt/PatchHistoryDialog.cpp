#include "ui/qt/PatchHistoryDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "ui/qt/MainWindow.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {

PatchHistoryDialog::PatchHistoryDialog(TForm1& main, QWidget* parent)
    : QDialog(parent),
      restore_(QString::fromLatin1(kRestoreButton)),
      undoPackage_(QString::fromLatin1(kUndoPackageButton)),
      close_(QString::fromLatin1(kCloseButton)),
      form_(main, *this) {
  setFont(ProgramFont());
  setModal(true);
  patches_.setHeaderLabels({QStringLiteral("Time"), QStringLiteral("How"), QStringLiteral("Source"),
                            QStringLiteral("Entries")});
  patches_.setAccessibleName(QStringLiteral("Patches"));
  patches_.setRootIsDecorated(false);
  patches_.setUniformRowHeights(true);
  patches_.setAllColumnsShowFocus(true);
  patches_.setSelectionMode(QAbstractItemView::SingleSelection);
  for (const auto& [column, width] : {std::pair{0, 120}, {1, 70}, {2, 250}, {3, 130}}) {
    patches_.setColumnWidth(column, width);
  }
  note_.setWordWrap(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(&restore_);
  buttons->addWidget(&undoPackage_);
  buttons->addStretch();
  buttons->addWidget(&close_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(&patches_);
  layout->addWidget(&note_);
  layout->addLayout(buttons);
  resize(600, 300);
  close_.setDefault(true);

  connect(&patches_, &QTreeWidget::itemSelectionChanged, this, [this] { form_.ListSelect(); });
  connect(&restore_, &QPushButton::clicked, this, [this] { form_.RestoreClick(); });
  connect(&undoPackage_, &QPushButton::clicked, this, [this] { form_.UndoPackageClick(); });
  connect(&close_, &QPushButton::clicked, this, [this] { form_.CloseClick(); });
}

void PatchHistoryDialog::Run() {
  form_.FormShow();
  exec();
}

void PatchHistoryDialog::SetCaption(const std::string& text) { setWindowTitle(DisplayText(text)); }

void PatchHistoryDialog::SetRows(const std::vector<PatchHistoryRow>& rows) {
  const QSignalBlocker quiet(&patches_);
  patches_.clear();
  for (const PatchHistoryRow& row : rows) {
    new QTreeWidgetItem(&patches_, {DisplayText(row.time), DisplayText(row.how), DisplayText(row.source),
                                    DisplayText(row.entries)});
  }
  if (!rows.empty()) patches_.setCurrentItem(patches_.topLevelItem(0));
}

int PatchHistoryDialog::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = patches_.selectedItems();
  return selected.isEmpty() ? -1 : patches_.indexOfTopLevelItem(selected.first());
}

void PatchHistoryDialog::EnableActions(bool restore, bool undoPackage) {
  restore_.setEnabled(restore);
  undoPackage_.setEnabled(undoPackage);
}

void PatchHistoryDialog::SetNote(const std::string& text) { note_.setText(DisplayText(text)); }

bool PatchHistoryDialog::Confirm(const std::string& text) { return ConfirmBox(this, text); }

}  // namespace skarvel::ui::qt
