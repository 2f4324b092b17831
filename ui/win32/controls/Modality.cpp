#include "ui/win32/controls/Modality.h"

namespace skarvel::ui::win32 {
namespace {

struct Collecting {
  HWND owner;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM data) {
  const auto& collecting = *reinterpret_cast<const Collecting*>(data);
  if (window != collecting.owner && IsWindowVisible(window) && IsWindowEnabled(window)) {
    collecting.windows->push_back(window);
  }
  return TRUE;
}

}  // namespace

ModalScope::ModalScope(HWND owner) {
  Collecting collecting{owner, &disabled_};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&collecting));
  for (HWND window : disabled_) EnableWindow(window, FALSE);
}

ModalScope::~ModalScope() {
  for (HWND window : disabled_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
}

HWND VisibleOwner(HWND owner) { return owner != nullptr && IsWindowVisible(owner) ? owner : nullptr; }

}  // namespace skarvel::ui::win32
