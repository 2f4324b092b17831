#pragma once
// The scale of the windows. The layout tables give places and sizes at 96 dots
// per inch; each top-level window is drawn at the dots per inch of the screen
// it is on (the program is per-monitor aware): learnt when the window is
// created, and again from WM_DPICHANGED when it moves to a screen of another
// scale. Its controls scale with it.
#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

constexpr int kLayoutDpi = 96;

// The dots per inch of the primary screen, where a new window opens.
int SystemDpi();
// The dots per inch that a window is drawn at: those of its top-level window.
int DpiOf(HWND window);
// Records the dots per inch that a top-level window is now drawn at.
void SetWindowDpi(HWND topLevel, int dpi);

// Layout pixels (96 dots per inch) in a screen's pixels, and back.
int Scaled(int pixels, int dpi);
int Unscaled(int pixels, int dpi);

// The program's font at a scale: "Microsoft Sans Serif" at 8 points, the
// scalable face of the bitmap font "MS Sans Serif" that the layout was made
// for (a bitmap font has no size between its 8 and its 10 points). Where the
// system has no such face (Wine, whose "MS Sans Serif" is bitmaps too), that
// font at 96 dots per inch and "Tahoma", an outline font of the same look, at
// any other scale. One font per scale, kept until the program ends.
HFONT ProgramFont(int dpi);

}  // namespace skarvel::ui::win32
