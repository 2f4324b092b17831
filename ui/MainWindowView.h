#pragma once
// What the main window's handlers need of its widgets, beyond what the
// operations need (the Workbench). The Qt window implements it, a Win32 window
// will, and the handler tests script it. Every text is in internal form
// (Windows-1252, "\" paths); the widgets convert at their edge.
#include <string>

#include "archive/Workbench.h"

namespace skarvel::ui {

// Outer heights of the window with the classic frame. A front end whose frame
// belongs to the window manager sizes the client area instead (kFrameHeight less).
inline constexpr int kCollapsedHeight = 208;
inline constexpr int kShownHeight = 467;
inline constexpr int kMinimumHeight = 178;
inline constexpr int kOuterWidth = 441;
inline constexpr int kFrameWidth = 8;    // two 4-pixel borders
inline constexpr int kFrameHeight = 34;  // caption and borders

class MainWindowView : public Workbench {
 public:
  // The outer height as above.
  virtual void SetWindowHeight(int outerHeight) = 0;
  virtual void SetWindowCaption(const std::string& text) = 0;

  // The source edit has no change handler. Setting the archive edit to a text
  // that differs from its current one fires its change event (TForm1::LMDFile2Change)
  // before it returns, as typing does; setting the same text fires nothing.
  virtual void SetSourceText(const std::string& text) = 0;
  virtual void SetArchiveText(const std::string& text) = 0;
  // The folders in which the edits' browse dialogs open next.
  virtual void SetSourceInitialFolder(const std::string& folder) = 0;
  virtual void SetArchiveInitialFolder(const std::string& folder) = 0;

  // Show the folder dialogs without waiting for them (they are modeless); a
  // dialog already shown is only brought to the front.
  virtual void ShowSourceFolderDialog() = 0;
  virtual void ShowGameFolderDialog() = 0;
  // Shows the "Patch history..." window of the archive edit's archive, with its
  // handlers (PatchHistoryForm, shown with FormShow), and returns once it closed.
  virtual void ShowPatchHistory() = 0;

  // An operation starts and ends (also when it fails). Meanwhile the
  // window shows the busy pointer; at the end, the clicks and keys that arrived
  // while it ran are dropped instead of being run afterwards.
  virtual void BeginOperation() = 0;
  virtual void EndOperation() = 0;

  // The application's default error box: the text, the application title and
  // an error icon, one OK button.
  virtual void ShowErrorBox(const std::string& text) = 0;
};

}  // namespace skarvel::ui
