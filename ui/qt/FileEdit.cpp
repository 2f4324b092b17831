#include "ui/qt/FileEdit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStyle>
#include <QUrl>

#include "ui/qt/DialogFilter.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {

FileEdit::FileEdit(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(&edit_);
  layout->addWidget(&browse_);
  browse_.setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  browse_.setText("...");
  browse_.setToolButtonStyle(Qt::ToolButtonIconOnly);
  browse_.setFixedWidth(20);
  browse_.setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  setFocusProxy(&edit_);
  edit_.installEventFilter(this);
  // QLineEdit reports only real changes: setting the text it holds emits nothing.
  connect(&edit_, &QLineEdit::textChanged, this, &FileEdit::Changed);
  connect(&browse_, &QToolButton::clicked, this, &FileEdit::Browse);
}

void FileEdit::SetDialogTitle(const std::string& title) {
  title_ = title;
  browse_.setToolTip(DisplayText(title));
  browse_.setAccessibleName(DisplayText(title));
}

void FileEdit::SetAccessibleLabel(const QString& label) { edit_.setAccessibleName(label); }

void FileEdit::SetText(const QString& text) { edit_.setText(text); }

void FileEdit::Browse() {
  // Qt's dialogs have no read-only check box to hide.
  QFileDialog dialog(window(), DisplayText(title_), NativePathText(initialFolder_));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList filters = NameFilters(filter_);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(DefaultSuffix(defaultExtension_));
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    SetText(dialog.selectedFiles().first());
  }
  emit Browsed();
}

QString FileEdit::DroppedPath(const QMimeData* data) const {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().first();
  if (!url.isLocalFile()) return {};
  const QFileInfo info(url.toLocalFile());
  if (info.isFile() || (acceptsFolders_ && info.isDir())) return info.absoluteFilePath();
  return {};
}

bool FileEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &edit_) return QWidget::eventFilter(watched, event);
  // Dropped URLs are this edit's business (the line edit would paste them as
  // text); dropped text stays the line edit's.
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!drag->mimeData()->hasUrls()) return false;
      if (DroppedPath(drag->mimeData()).isEmpty()) {
        drag->ignore();
      } else {
        drag->acceptProposedAction();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!drop->mimeData()->hasUrls()) return false;
      const QString path = DroppedPath(drop->mimeData());
      if (path.isEmpty()) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      SetText(path);
      emit Browsed();
      return true;
    }
    default:
      return false;
  }
}

}  // namespace skarvel::ui::qt
