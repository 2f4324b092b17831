#pragma once
// The program's modal boxes, over the system's message box: every one keeps
// the program busy while it is open.
#include <string>

#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

// The plain box: the application title, the text, one "OK".
void ShowPlainBox(HWND owner, const std::string& text);
// The application's default error box: the same with an error icon.
void ShowErrorBox(HWND owner, const std::string& text);
// The box titled "Confirmation": a question icon and the buttons "&Oui" and
// "Annuler". True only for "&Oui" (not "Annuler", Escape or the close button).
bool ConfirmBox(HWND owner, const std::string& text);
// The runtime's box titled "Erreur d'application", with an error icon.
void ShowApplicationErrorBox(HWND owner, const std::string& text);

}  // namespace skarvel::ui::win32
