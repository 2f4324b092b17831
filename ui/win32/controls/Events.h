#pragma once
// Running the program's handlers from the controls' events. While a handler
// runs, or a modal box or dialog is open, the program is busy: work that must
// run between events (the folder tree's refresh) waits until it is idle again.
#include <exception>
#include <functional>

namespace skarvel::ui::win32 {

// Runs a handler of a control's event. An error that escapes it goes to the
// sink that SetUnhandledErrorSink set (it must not cross the system's window
// procedure), and the program goes on.
void RunHandler(const std::function<void()>& handler);
void SetUnhandledErrorSink(std::function<void(const std::exception&)> sink);

// Marks the program busy for the lifetime of the scope; a modal box or dialog
// that runs its own message loop opens one.
class BusyScope {
 public:
  BusyScope();
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

bool ProgramBusy();

// Calls work at once when the program is idle; otherwise when the outermost
// busy scope ends. work should post a message rather than do the work itself,
// so that the work runs between events.
void WhenIdle(std::function<void()> work);

}  // namespace skarvel::ui::win32
