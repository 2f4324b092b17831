#include "ui/qt/OperationInput.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QInputEvent>

namespace skarvel::ui::qt {
namespace {

// Swallows every input event while it is installed on the application.
class InputSwallower : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::NonClientAreaMouseButtonPress:
      case QEvent::NonClientAreaMouseButtonRelease:
      case QEvent::NonClientAreaMouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::ContextMenu:
        return true;
      default:
        return QObject::eventFilter(watched, event);
    }
  }
};

int operationDepth = 0;

}  // namespace

void BeginOperationInput() {
  if (operationDepth++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void EndOperationInput() {
  if (operationDepth == 0 || --operationDepth > 0) return;
  // A round trip to the window system first, so that all it has queued for the
  // program by now is read, then one pass over the queue with input swallowed.
  QGuiApplication::sync();
  InputSwallower swallower;
  qApp->installEventFilter(&swallower);
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&swallower);
  QApplication::restoreOverrideCursor();
}

ModalPointer::ModalPointer() : pushed_(operationDepth > 0) {
  if (pushed_) QApplication::setOverrideCursor(Qt::ArrowCursor);
}

ModalPointer::~ModalPointer() {
  if (pushed_) QApplication::restoreOverrideCursor();
}

}  // namespace skarvel::ui::qt
