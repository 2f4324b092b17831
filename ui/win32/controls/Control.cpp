#include "ui/win32/controls/Control.h"

#include "host/platform/win32/CodePage.h"

#include <vector>

namespace skarvel::ui::win32 {
namespace {

constexpr char kOwnerProperty[] = "SkarvelControl";

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

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
    default:
      (void)wParam;
      return nullptr;
  }
}

}  // namespace

int Scaled(int pixels) { return MulDiv(pixels, ScreenDpi(), 96); }

int Unscaled(int pixels) { return MulDiv(pixels, 96, ScreenDpi()); }

HFONT ProgramFont() {
  static const HFONT font = [] {
    LOGFONTA face{};
    face.lfHeight = -Scaled(11);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    face.lfQuality = DEFAULT_QUALITY;
    face.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(face.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&face);
  }();
  return font;
}

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
  HWND hwnd = CreateWindowExW(exStyle, wideClass.c_str(), WideFromProgramText(text).c_str(), style | WS_CHILD,
                              Scaled(place.left), Scaled(place.top), Scaled(place.width), Scaled(place.height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(NewControlId())), GetModuleHandleA(nullptr),
                              nullptr);
  Attach(hwnd);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ProgramFont()), FALSE);
}

void Control::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  if (hwnd_ != nullptr) SetPropA(hwnd_, kOwnerProperty, this);
}

Control* Control::FromHandle(HWND hwnd) {
  return hwnd == nullptr ? nullptr : static_cast<Control*>(GetPropA(hwnd, kOwnerProperty));
}

void Control::Place(const Rect& place) {
  MoveWindow(hwnd_, Scaled(place.left), Scaled(place.top), Scaled(place.width), Scaled(place.height), TRUE);
}

Rect Control::Placement() const {
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  HWND parent = GetParent(hwnd_);
  if (parent != nullptr && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return {Unscaled(rect.left), Unscaled(rect.top), Unscaled(rect.right - rect.left), Unscaled(rect.bottom - rect.top)};
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
