#include "ui/win32/controls/Events.h"

#include <utility>
#include <vector>

namespace skarvel::ui::win32 {
namespace {

// The windows live on one thread; nothing here is shared with another.
int busyDepth = 0;
std::vector<std::function<void()>> idleWork;
std::function<void(const std::exception&)> errorSink;

}  // namespace

BusyScope::BusyScope() { ++busyDepth; }

BusyScope::~BusyScope() {
  if (--busyDepth > 0) return;
  std::vector<std::function<void()>> waiting;
  waiting.swap(idleWork);
  for (const auto& work : waiting) work();
}

bool ProgramBusy() { return busyDepth > 0; }

void WhenIdle(std::function<void()> work) {
  if (busyDepth == 0) {
    work();
  } else {
    idleWork.push_back(std::move(work));
  }
}

void SetUnhandledErrorSink(std::function<void(const std::exception&)> sink) { errorSink = std::move(sink); }

void RunHandler(const std::function<void()>& handler) {
  if (!handler) return;
  BusyScope busy;
  try {
    handler();
  } catch (const std::exception& error) {
    if (errorSink) errorSink(error);
  }
}

}  // namespace skarvel::ui::win32
