#pragma once
// The desktop program in the Win32 API: the application title, the main
// window with its handlers, the two folder dialogs, the event loop and the
// installer's boxes.
#include <memory>
#include <string>

#include "archive/AppState.h"
#include "ui/Desktop.h"
#include "ui/WadUnit.h"
#include "ui/win32/MainWindow.h"

namespace skarvel::ui::win32 {

class FolderDialogs;

class Win32Desktop : public StartupDesktop {
 public:
  explicit Win32Desktop(AppState& state);
  ~Win32Desktop() override;

  MainWindow* Window() { return window_.get(); }
  TForm1* Form() { return form_.get(); }

  // StartupDesktop
  void SetApplicationTitle(const std::string& title) override { title_ = title; }
  void CreateMainWindow() override;
  void CreateFolderDialogs() override;
  int RunEventLoop() override;
  void ShowMessageWhenShown(const std::string& text) override { messageWhenShown_ = text; }

  // InstallerDesktop
  bool Confirm(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void ShowApplicationError(const std::string& text) override;
  void SetSourceText(const std::string& text) override { window_->SetSourceText(text); }
  void SetArchiveText(const std::string& text) override { window_->SetArchiveText(text); }
  bool RunUpdate() override;

 private:
  AppState& state_;
  std::string title_;
  std::string messageWhenShown_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<FolderDialogs> dialogs_;
};

// Hands each message of the thread's queue to its window until WM_QUIT, the
// keys of a form to its controls first; the quit message's code.
int RunMessageLoop();

}  // namespace skarvel::ui::win32
