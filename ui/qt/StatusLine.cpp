#include "ui/qt/StatusLine.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>

#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {
namespace {

// Assistive technology sees a status bar named by its caption, so a screen
// reader says "Update done in 0.2s".
QAccessibleInterface* StatusLineAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String("skarvel::ui::qt::StatusLine") || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StatusBar);
}

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QFrame(parent) {
  static const bool installed = [] {
    QAccessible::installFactory(StatusLineAccessible);
    return true;
  }();
  (void)installed;
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
}

int StatusLine::FilledWidth() const { return contentsRect().width() * position_ / 100; }

void StatusLine::SetCaption(const std::string& text) {
  caption_ = text;
  setAccessibleName(DisplayText(text));
  repaint();
}

void StatusLine::SetPosition(std::uint8_t percent) {
  const int position = std::min<int>(percent, 100);
  if (position == position_) return;
  position_ = position;
  repaint();
}

void StatusLine::Repaint() { repaint(); }

void StatusLine::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect inner = contentsRect();
  painter.fillRect(QRect(inner.left(), inner.top(), FilledWidth(), inner.height()), QColor::fromRgb(kFillColour));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  painter.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, DisplayText(caption_));
}

}  // namespace skarvel::ui::qt
