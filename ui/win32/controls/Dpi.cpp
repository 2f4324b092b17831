#include "ui/win32/controls/Dpi.h"

#include <map>

namespace skarvel::ui::win32 {
namespace {

constexpr char kDpiProperty[] = "SkarvelDpi";

// Functions of later Windows, looked up so that the program still starts on
// Windows 7, which draws every window at the system's scale.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool HasFace(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kLayoutDpi;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return value > 0 ? value : kLayoutDpi;
  }();
  return dpi;
}

int DpiOf(HWND window) {
  HWND root = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  if (root == nullptr) return SystemDpi();
  const auto recorded = reinterpret_cast<INT_PTR>(GetPropA(root, kDpiProperty));
  if (recorded > 0) return static_cast<int>(recorded);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const int dpi = getDpiForWindow != nullptr ? static_cast<int>(getDpiForWindow(root)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void SetWindowDpi(HWND topLevel, int dpi) {
  SetPropA(topLevel, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
}

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, kLayoutDpi); }

int Unscaled(int pixels, int dpi) { return MulDiv(pixels, kLayoutDpi, dpi); }

HFONT ProgramFont(int dpi) {
  static std::map<int, HFONT> fonts;
  HFONT& font = fonts[dpi];
  if (font != nullptr) return font;
  static const bool scalableFace = HasFace(L"Microsoft Sans Serif");
  LOGFONTW face{};
  face.lfHeight = -MulDiv(8, dpi, 72);
  face.lfWeight = FW_NORMAL;
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfQuality = DEFAULT_QUALITY;
  face.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  const wchar_t* name = scalableFace ? L"Microsoft Sans Serif" : dpi == kLayoutDpi ? L"MS Sans Serif" : L"Tahoma";
  lstrcpynW(face.lfFaceName, name, LF_FACESIZE);
  font = CreateFontIndirectW(&face);
  return font;
}

}  // namespace skarvel::ui::win32
