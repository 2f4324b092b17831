#pragma once
// Windows of the program's own classes: a control whose window procedure is a
// virtual function (OwnWindow), the panels that hold other controls, and the
// top-level forms. Panels and forms hand their children's notifications back to
// the children and let the keyboard move through them (Tab, arrows, Enter).
#include <functional>
#include <utility>
#include <vector>

#include "ui/win32/controls/Control.h"

namespace skarvel::ui::win32 {

class OwnWindow : public Control {
 public:
  ~OwnWindow() override;
  // Destroys the window and its children now. An owner whose members are
  // controls inside this window calls it first in its destructor, so that no
  // message reaches a half-destroyed object.
  void Destroy();

  // The window procedure of this control; the default one of the system for
  // what it leaves.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Creates a window of one of the program's classes (registered on first
  // use, with the button-face background), owned by this object.
  void CreateOwn(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent,
                 int x, int y, int width, int height);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterOnce(const char* className);
};

// A panel: a child window that holds controls and passes their notifications
// back to them.
class Panel : public OwnWindow {
 public:
  void Create(HWND parent, const Rect& place);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A top-level window holding controls. Closing it hides it unless onClose says
// otherwise.
class Form : public OwnWindow {
 public:
  // clientWidth and clientHeight at 96 dots per inch; exStyle adds for
  // instance WS_EX_TOPMOST.
  void Create(const std::string& caption, int clientWidth, int clientHeight, DWORD exStyle = 0, HWND owner = nullptr);
  // A form owned by another, sizeable, with only a close box: minimising or
  // maximising a window that belongs to the main window makes no sense.
  void CreateOwnedTool(const std::string& caption, int clientWidth, int clientHeight, DWORD exStyle, HWND owner);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The outer size that gives a client area of the size given (96 dots per inch).
  SIZE OuterSizeFor(int clientWidth, int clientHeight) const;
  void SetClientSize(int clientWidth, int clientHeight);
  SIZE ClientSize() const;  // at 96 dots per inch
  // The bounds a user can drag the client area to; 0 for no bound.
  void SetClientLimits(int minWidth, int minHeight, int maxWidth, int maxHeight);
  // Shows the window centred on the screen's work area and activates it.
  // Centred on the work area of the screen that holds its owner (or, without
  // one, itself), so that a dialog opens where the main window is.
  void ShowCentred();
  // The button that Enter presses while the form is active (its identifier).
  void SetDefaultButton(int controlId) { defaultButton_ = controlId; }

  // Ctrl and key run action wherever the focus is in the form, before the
  // focused control sees the key (an edit takes Ctrl+H for a backspace).
  void SetControlShortcut(UINT key, std::function<void()> action);
  // Runs the shortcut that msg presses; false when it presses none.
  bool RunShortcut(const MSG& msg);

  std::function<void()> onClose;   // none: the form is hidden
  std::function<void()> onResize;  // after the client area changed size

 private:
  void CreateWithStyle(const std::string& caption, int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                       HWND owner);

  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
  int defaultButton_ = 0;
  HWND focusOnDeactivate_ = nullptr;
  std::vector<std::pair<UINT, std::function<void()>>> shortcuts_;
};

// The message loop's share of the keyboard: true when msg was a form's
// shortcut or a key for its controls (Tab, arrows, Enter, mnemonics) and has
// been handled.
bool HandleFormKeys(MSG& msg);

}  // namespace skarvel::ui::win32
