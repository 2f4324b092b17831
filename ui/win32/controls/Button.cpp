#include "ui/win32/controls/Button.h"

#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

constexpr int kGlyph = 16;
enum StripImage { kUp, kDisabled, kClicked, kDown };

// The button's image list has one image per state of the system's button, in
// its order: normal, hot, pressed, disabled, defaulted, stylus hot.
constexpr StripImage kStateImages[] = {kUp, kUp, kClicked, kDisabled, kUp, kUp};

HBITMAP StateImages(HBITMAP strip) {
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kGlyph * 6, -kGlyph, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP images = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldFrom = SelectObject(from, strip);
  HGDIOBJ oldTo = SelectObject(to, images);
  for (int state = 0; state < 6; ++state) {
    BitBlt(to, state * kGlyph, 0, kGlyph, kGlyph, from, kStateImages[state] * kGlyph, 0, SRCCOPY);
  }
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  return images;
}

}  // namespace

void Button::Create(HWND parent, const std::string& caption, const Rect& place, bool isDefault) {
  CreateChild("BUTTON", caption, WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, parent,
              place);
}

Button::~Button() {
  if (glyphs_ != nullptr) ImageList_Destroy(glyphs_);
}

void Button::SetGlyphStrip(HBITMAP strip) {
  if (strip == nullptr) return;
  HIMAGELIST glyphs = ImageList_Create(kGlyph, kGlyph, ILC_COLOR32, 6, 0);
  HBITMAP images = StateImages(strip);
  ImageList_Add(glyphs, images, nullptr);
  DeleteObject(images);
  BUTTON_IMAGELIST list{glyphs, {2, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
  SendMessageA(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
  if (glyphs_ != nullptr) ImageList_Destroy(glyphs_);
  glyphs_ = glyphs;
}

void Button::Click() { SendMessageA(Handle(), BM_CLICK, 0, 0); }

bool Button::OnNotification(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  RunHandler(onClick);
  result = 0;
  return true;
}

}  // namespace skarvel::ui::win32
