#include "ui/qt/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/ApplicationTitle.h"
#include "ui/qt/OperationInput.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {
namespace {

void ShowOkBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const std::string& text) {
  QMessageBox box(icon, title, DisplayText(text), QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  const ModalPointer pointer;
  box.exec();
}

}  // namespace

void ShowPlainBox(QWidget* parent, const std::string& text) {
  ShowOkBox(parent, QMessageBox::NoIcon, DisplayText(kApplicationTitle), text);
}

void ShowErrorBox(QWidget* parent, const std::string& text) {
  ShowOkBox(parent, QMessageBox::Critical, DisplayText(kApplicationTitle), text);
}

bool ConfirmBox(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), DisplayText(text), QMessageBox::NoButton,
                  parent);
  box.setTextFormat(Qt::PlainText);
  QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Annuler"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  const ModalPointer pointer;
  box.exec();
  return box.clickedButton() == yes;
}

void ShowApplicationErrorBox(QWidget* parent, const std::string& text) {
  ShowOkBox(parent, QMessageBox::Critical, QStringLiteral("Erreur d'application"), text);
}

}  // namespace skarvel::ui::qt
