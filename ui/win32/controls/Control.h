#pragma once
// The thin control layer of the Win32 windows: one small type per control, each
// owning its system window, with typed event callbacks. A container hands every
// notification of a child (WM_COMMAND, WM_NOTIFY, ...) back to the control that
// sent it, so that a control handles its own events and no window procedure of
// a window knows its children's messages.
#include <ostream>
#include <string>

#include "ui/win32/controls/Dpi.h"
#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

// A place in the parent's client area, in pixels at 96 dots per inch.
struct Rect {
  int left, top, width, height;
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << r.left << "," << r.top << " " << r.width << "x" << r.height;
}

class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  // Destroys the system window when it still exists.
  virtual ~Control();

  HWND Handle() const { return hwnd_; }
  // The control identifier given at creation, unique in the program.
  int Id() const;

  // Places the control at its window's scale; it keeps the place for a change of scale.
  void Place(const Rect& place);
  // The place in the parent's client area, at 96 dots per inch.
  Rect Placement() const;
  // The window's scale changed from oldDpi to dpi: the control takes the font
  // and the place of the new scale, and what it draws at a size of its own.
  virtual void Rescale(int oldDpi, int dpi);
  // The text in the code page; one that the code page cannot hold exactly (a
  // letter pasted into an edit) is refused with RefusedError, never taken for
  // a look-alike.
  std::string Text() const;
  std::wstring WideText() const;
  void SetText(const std::string& text);
  void SetVisible(bool visible);
  // Whether the control itself is shown, whether or not its window is.
  bool IsVisible() const;

  // A notification that the parent received from this control, handed back to
  // it; true when handled, with the message's result.
  virtual bool OnNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // The control that owns a system window, or null.
  static Control* FromHandle(HWND hwnd);

 protected:
  // Creates a system window of a system class (BUTTON, EDIT, ...) as a child
  // of parent, at its place, in the program's font.
  void CreateChild(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent,
                   const Rect& place);
  // Makes this control the owner of a window created elsewhere.
  void Attach(HWND hwnd);

 private:
  HWND hwnd_ = nullptr;
  Rect place_{};
  bool placed_ = false;
};

// Every control inside a top-level window takes the window's new scale.
void RescaleChildren(HWND topLevel, int oldDpi, int dpi);

// Hands a notification of a child to the control that sent it; every
// container's window procedure calls it first. False when the message is no
// notification of a known control.
bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The next free control identifier.
int NewControlId();

}  // namespace skarvel::ui::win32
