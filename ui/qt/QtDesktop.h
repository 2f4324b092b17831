#pragma once
// The desktop program in Qt: the application title, the main window with its
// handlers, the two folder dialogs, the event loop and the installer's boxes.
#include <memory>
#include <string>

#include "archive/AppState.h"
#include "ui/Desktop.h"
#include "ui/WadUnit.h"
#include "ui/qt/MainWindow.h"

namespace skarvel::ui::qt {

// Needs a QApplication that outlives it.
class QtDesktop : public StartupDesktop {
 public:
  explicit QtDesktop(AppState& state);
  ~QtDesktop() override;

  MainWindow* Window() { return window_.get(); }
  TForm1* Form() { return form_.get(); }

  // StartupDesktop
  void SetApplicationTitle(const std::string& title) override;
  void CreateMainWindow() override;
  void CreateFolderDialogs() override;
  int RunEventLoop() override;
  void ShowMessageWhenShown(const std::string& text) override { messageWhenShown_ = text; }

  // InstallerDesktop
  bool Confirm(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void ShowApplicationError(const std::string& text) override;
  void SetSourceText(const std::string& text) override;
  void SetArchiveText(const std::string& text) override;
  bool RunUpdate() override;

 private:
  AppState& state_;
  std::string title_;
  std::string messageWhenShown_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<TForm1> form_;
};

}  // namespace skarvel::ui::qt
