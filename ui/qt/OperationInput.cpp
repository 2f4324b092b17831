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
  // With input swallowed: a round trip to the window system, so that all it has
  // queued for the program by now is read (sync handles the events it reads),
  // then one more pass over the queue.
  InputSwallower swallower;
  qApp->installEventFilter(&swallower);
  QGuiApplication::sync();
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
