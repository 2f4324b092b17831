#pragma once
// The program's modal boxes. Texts are internal form.
#include <QWidget>
#include <string>

namespace skarvel::ui::qt {

// The plain box: the application title, the text, one "OK".
void ShowPlainBox(QWidget* parent, const std::string& text);
// The application's default error box: as the plain box, with an error icon.
void ShowErrorBox(QWidget* parent, const std::string& text);
// The confirmation box: title "Confirmation", a question icon, the buttons
// "&Oui" and "Annuler". True only when Yes was pressed; Cancel, Escape and
// closing the box all refuse.
bool ConfirmBox(QWidget* parent, const std::string& text);
// The runtime's box for an error that ends the program, titled "Erreur d'application".
void ShowApplicationErrorBox(QWidget* parent, const std::string& text);

}  // namespace skarvel::ui::qt
