#include "ui/win32/controls/Button.h"

#include <algorithm>
#include <array>

#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

constexpr int kGlyph = 16;
constexpr int kStates = 6;
enum StripImage { kUp, kDisabled, kClicked, kDown };

// The button's image list has one image per state of the system's button, in
// its order: normal, hot, pressed, disabled, defaulted, stylus hot.
constexpr StripImage kStateImages[kStates] = {kUp, kUp, kClicked, kDisabled, kUp, kUp};

// The strip's pixels, top row first, as 32-bit BGRA.
std::vector<std::uint32_t> StripPixels(HBITMAP strip) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kGlyph * 4, -kGlyph, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> pixels(kGlyph * 4 * kGlyph);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, strip, 0, kGlyph, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != kGlyph) pixels.clear();
  return pixels;
}

// How much of each source pixel (0 .. from-1) falls into each of the to
// pixels of a line scaled from from to to pixels: the area average that keeps
// a glyph's thin lines when it grows by a factor that is no whole number.
std::vector<std::array<double, kGlyph>> Coverage(int to) {
  std::vector<std::array<double, kGlyph>> weights(static_cast<std::size_t>(to));
  const double step = static_cast<double>(kGlyph) / to;
  for (int target = 0; target < to; ++target) {
    const double begin = target * step, end = begin + step;
    for (int source = 0; source < kGlyph; ++source) {
      const double overlap = std::min<double>(end, source + 1) - std::max<double>(begin, source);
      weights[static_cast<std::size_t>(target)][static_cast<std::size_t>(source)] = overlap > 0 ? overlap : 0;
    }
  }
  return weights;
}

// One 16x16 glyph of the strip at size x size pixels; the colours are averaged
// by their opacity, so that a transparent pixel darkens no edge.
void ScaleGlyph(const std::vector<std::uint32_t>& strip, int glyph, int size, std::uint32_t* out, int outStride) {
  const auto weights = Coverage(size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double sum[4] = {0, 0, 0, 0}, area = 0;
      for (int sy = 0; sy < kGlyph; ++sy) {
        const double wy = weights[static_cast<std::size_t>(y)][static_cast<std::size_t>(sy)];
        if (wy == 0) continue;
        for (int sx = 0; sx < kGlyph; ++sx) {
          const double w = wy * weights[static_cast<std::size_t>(x)][static_cast<std::size_t>(sx)];
          if (w == 0) continue;
          const std::uint32_t p = strip[static_cast<std::size_t>(sy * kGlyph * 4 + glyph * kGlyph + sx)];
          const double alpha = (p >> 24) / 255.0;
          for (int c = 0; c < 3; ++c) sum[c] += w * alpha * ((p >> (8 * c)) & 0xff);
          sum[3] += w * alpha;
          area += w;
        }
      }
      std::uint32_t pixel = 0;
      if (sum[3] > 0) {
        for (int c = 0; c < 3; ++c) pixel |= static_cast<std::uint32_t>(sum[c] / sum[3] + 0.5) << (8 * c);
        pixel |= static_cast<std::uint32_t>(sum[3] / area * 255 + 0.5) << 24;
      }
      out[y * outStride + x] = pixel;
    }
  }
}

// The images of the six states side by side, each size x size.
HBITMAP StateImages(const std::vector<std::uint32_t>& strip, int size) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size * kStates, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP images = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (images == nullptr) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int state = 0; state < kStates; ++state) {
    ScaleGlyph(strip, kStateImages[state], size, pixels + state * size, size * kStates);
  }
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
  strip_ = StripPixels(strip);
  ShowGlyphs(DpiOf(Handle()));
}

void Button::Rescale(int oldDpi, int dpi) {
  Control::Rescale(oldDpi, dpi);
  ShowGlyphs(dpi);
}

void Button::ShowGlyphs(int dpi) {
  if (strip_.empty()) return;
  const int size = Scaled(kGlyph, dpi);
  HIMAGELIST glyphs = ImageList_Create(size, size, ILC_COLOR32, kStates, 0);
  HBITMAP images = StateImages(strip_, size);
  ImageList_Add(glyphs, images, nullptr);
  DeleteObject(images);
  BUTTON_IMAGELIST list{glyphs, {Scaled(2, dpi), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
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
