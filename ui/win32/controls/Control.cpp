#include "ui/win32/controls/Control.h"

#include "host/platform/win32/CodePage.h"

#include <vector>

namespace skarvel::ui::win32 {
namespace {

constexpr char kOwnerProperty[] = "SkarvelControl";

// The window that a notification comes from.
HWND Sender(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<HWND>(lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    case WM_CONTEXTMENU:
      return reinterpret_cast<HWND>(wParam);
    default:
      (void)wParam;
      return nullptr;
  }
}

}  // namespace

int NewControlId() {
  // Below the identifiers that the system's boxes use, above IDOK and its sisters.
  static int next = 1000;
  return next++;
}

Control::~Control() {
  if (hwnd_ == nullptr || !IsWindow(hwnd_)) return;
  RemovePropA(hwnd_, kOwnerProperty);
  DestroyWindow(hwnd_);
}

int Control::Id() const { return GetDlgCtrlID(hwnd_); }

// Unicode windows: an edit of the code page would put a look-alike in place of
// a pasted letter that the code page cannot hold, and a label would show the
// runtime's French in the wrong code page. The program converts at this edge.
void Control::CreateChild(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent,
                          const Rect& place) {
  const std::wstring wideClass(className, className + std::char_traits<char>::length(className));
  const int dpi = DpiOf(parent);
  HWND hwnd = CreateWindowExW(exStyle, wideClass.c_str(), WideFromProgramText(text).c_str(), style | WS_CHILD,
                              Scaled(place.left, dpi), Scaled(place.top, dpi), Scaled(place.width, dpi),
                              Scaled(place.height, dpi), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(NewControlId())), GetModuleHandleA(nullptr),
                              nullptr);
  Attach(hwnd);
  place_ = place;
  placed_ = true;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ProgramFont(dpi)), FALSE);
}

void Control::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  if (hwnd_ != nullptr) SetPropA(hwnd_, kOwnerProperty, this);
}

Control* Control::FromHandle(HWND hwnd) {
  return hwnd == nullptr ? nullptr : static_cast<Control*>(GetPropA(hwnd, kOwnerProperty));
}

void Control::Place(const Rect& place) {
  place_ = place;
  placed_ = true;
  const int dpi = DpiOf(hwnd_);
  MoveWindow(hwnd_, Scaled(place.left, dpi), Scaled(place.top, dpi), Scaled(place.width, dpi),
             Scaled(place.height, dpi), TRUE);
}

void Control::Rescale(int, int dpi) {
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(ProgramFont(dpi)), TRUE);
  if (placed_ && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) != 0) Place(place_);
}

namespace {

struct ScaleChange {
  int oldDpi, dpi;
};

BOOL CALLBACK RescaleChild(HWND child, LPARAM change) {
  const auto& scales = *reinterpret_cast<const ScaleChange*>(change);
  if (Control* control = Control::FromHandle(child)) control->Rescale(scales.oldDpi, scales.dpi);
  return TRUE;
}

}  // namespace

void RescaleChildren(HWND topLevel, int oldDpi, int dpi) {
  ScaleChange change{oldDpi, dpi};
  EnumChildWindows(topLevel, RescaleChild, reinterpret_cast<LPARAM>(&change));
}

Rect Control::Placement() const {
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  HWND parent = GetParent(hwnd_);
  if (parent != nullptr && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  const int dpi = DpiOf(hwnd_);
  return {Unscaled(rect.left, dpi), Unscaled(rect.top, dpi), Unscaled(rect.right - rect.left, dpi),
          Unscaled(rect.bottom - rect.top, dpi)};
}

std::wstring Control::WideText() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd_, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return buffer;
}

std::string Control::Text() const { return CheckedAnsiFromWide(WideText()); }

void Control::SetText(const std::string& text) { SetWindowTextW(hwnd_, WideFromProgramText(text).c_str()); }

void Control::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

bool Control::IsVisible() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

bool Control::OnNotification(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  Control* control = Control::FromHandle(Sender(message, wParam, lParam));
  return control != nullptr && control->OnNotification(message, wParam, lParam, result);
}

}  // namespace skarvel::ui::win32
