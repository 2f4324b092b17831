#pragma once
// The application title: the caption of the main window and of the plain message boxes.

namespace skarvel::ui {

inline constexpr char kApplicationTitle[] = "Skarvel 3.3";

}  // namespace skarvel::ui
