#pragma once
// The main window Form1 in the Win32 API: the controls of its layout at their
// places, the view that TForm1's handlers drive, and the Workbench of the
// operations. It holds no handler logic: each control's event calls TForm1.
#include <functional>
#include <string>

#include "ui/MainWindowView.h"
#include "ui/win32/ContentsView.h"
#include "ui/win32/StatusLine.h"
#include "ui/win32/controls/Button.h"
#include "ui/win32/controls/Container.h"
#include "ui/win32/controls/FileEdit.h"
#include "ui/win32/controls/Label.h"

namespace skarvel::ui {
class TForm1;
}

namespace skarvel::ui::win32 {

// The client area: the layout's outer sizes less the classic frame.
inline constexpr int kClientWidth = kOuterWidth - kFrameWidth;  // 433
inline constexpr int kPanelTopHeight = 153;
inline constexpr int kPanelDownHeight = 21;

class MainWindow : public Form, public MainWindowView {
 public:
  // Creates the window, hidden, with its caption empty until the view sets it.
  MainWindow();
  ~MainWindow() override;

  // Wires the controls' events to the handlers of form.
  void Bind(TForm1& form);
  // What "Select a Folder" and "Change GP4 Path" show (the folder dialogs).
  void SetFolderDialogs(std::function<void()> showSourceFolder, std::function<void()> showGameFolder);
  // Shows the window centred on the screen with "Update wad" focused.
  void ShowCentred();

  // The controls, by their layout names.
  Panel& PanelTop() { return panelTop_; }
  Panel& PanelDown() { return panelDown_; }
  Label& Label1() { return label1_; }
  Label& Label2() { return label2_; }
  Button& SelectFolder() { return selectFolder_; }
  Button& BtnGP4Path() { return btnGP4Path_; }
  FileEdit& LMDFile1() { return lmdFile1_; }
  FileEdit& LMDFile2() { return lmdFile2_; }
  Button& BtnCreateWad() { return btnCreateWad_; }
  Button& BtnExtractWad() { return btnExtractWad_; }
  Button& BtnUpdate1Wad() { return btnUpdate1Wad_; }
  Button& BtnUpdateTracks() { return btnUpdateTracks_; }
  StatusLine& ProgressBar() { return progressBar_; }
  Button& LMDButton1() { return lmdButton1_; }
  ContentsView& LMDFiles() { return lmdFiles_; }
  const std::string& SaveDialogFileName() const { return saveFileName_; }

  // Workbench
  std::string SourceText() const override { return lmdFile1_.Text(); }
  std::string ArchiveText() const override { return lmdFile2_.Text(); }
  ProgressSink& Progress() override { return progressBar_; }
  ContentsList& Contents() override { return lmdFiles_; }
  std::optional<std::string> RunSaveDialog(const std::string& proposedName, const std::string& filter) override;
  void RepaintWindow() override;
  void ShowMessage(const std::string& text) override;

  // MainWindowView
  void SetWindowHeight(int outerHeight) override;
  void SetWindowCaption(const std::string& text) override { Form::SetText(text); }
  void SetSourceText(const std::string& text) override { lmdFile1_.SetText(text); }
  void SetArchiveText(const std::string& text) override { lmdFile2_.SetText(text); }
  void SetSourceInitialFolder(const std::string& folder) override { lmdFile1_.SetInitialFolder(folder); }
  void SetArchiveInitialFolder(const std::string& folder) override { lmdFile2_.SetInitialFolder(folder); }
  void ShowSourceFolderDialog() override;
  void ShowGameFolderDialog() override;
  void ShowPatchHistory() override;
  void ShowErrorBox(const std::string& text) override;
  void BeginOperation() override;
  void EndOperation() override;

  // "Patch history..." as an item of the system menu and of the list's menu.
  static constexpr UINT kPatchHistoryItem = 0x0110;  // system menu items are multiples of 16

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void LayOut();
  void ShowListMenu(POINT at);

  Panel panelTop_;
  Panel panelDown_;
  ContentsView lmdFiles_;
  Button btnUpdate1Wad_;
  FileEdit lmdFile2_;
  Button selectFolder_;
  FileEdit lmdFile1_;
  Button btnCreateWad_;
  Button btnExtractWad_;
  Button btnUpdateTracks_;
  Button btnGP4Path_;
  Label label1_;
  Label label2_;
  StatusLine progressBar_;
  Button lmdButton1_;
  std::string saveFileName_;
  TForm1* form_ = nullptr;
  std::function<void()> showSourceFolder_;
  std::function<void()> showGameFolder_;
};

}  // namespace skarvel::ui::win32
