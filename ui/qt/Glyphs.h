#pragma once
// The pictures of the program: the glyph strips of the four operation buttons
// and the application icon, painted here rather than shipped as files.
#include <QIcon>
#include <QImage>
#include <QPushButton>

namespace skarvel::ui::qt {

enum class Glyph { CreateWad, ExtractWad, UpdateWad, UpdateTracks };

// The images of a strip, one per button state, left to right.
enum GlyphState { kGlyphUp, kGlyphDisabled, kGlyphClicked, kGlyphDown, kGlyphStates };
inline constexpr int kGlyphSize = 16;

// A strip of four 16x16 images side by side (64x16 logical pixels), at a
// device pixel ratio of scale.
QImage GlyphStrip(Glyph glyph, int scale = 1);
// One state of a strip, at 1x and 2x.
QIcon GlyphIcon(Glyph glyph, GlyphState state);

// The program's own icon, at the sizes desktops ask for.
QIcon ApplicationIcon();
QImage ApplicationIconImage(int size);

// A push button showing the image of its strip that matches its state: up,
// disabled, held down by the mouse or the space bar.
class GlyphButton : public QPushButton {
 public:
  GlyphButton(Glyph glyph, const QString& caption, QWidget* parent);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void ShowState();
  Glyph glyph_;
};

}  // namespace skarvel::ui::qt
