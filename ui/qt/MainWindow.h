#pragma once
// The main window Form1 in Qt: the controls of its layout at their positions,
// the view that TForm1's handlers drive, and the Workbench of the operations.
#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "ui/MainWindowView.h"
#include "ui/qt/ContentsView.h"
#include "ui/qt/FileEdit.h"
#include "ui/qt/Glyphs.h"
#include "ui/qt/StatusLine.h"

namespace skarvel::ui {
class TForm1;
}

namespace skarvel::ui::qt {

// Client sizes: the layout's outer sizes less the frame that the window manager draws.
inline constexpr int kClientWidth = kOuterWidth - kFrameWidth;  // 433
inline constexpr int kPanelTopHeight = 153;
inline constexpr int kPanelDownHeight = 21;

// "MS Sans Serif" at 8 points where it is installed, else the closest sans-serif.
QFont ProgramFont();

class MainWindow : public QWidget, public MainWindowView {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // Wires the controls' events to the handlers of form.
  void Bind(TForm1& form);
  // The folder dialogs that "Select a Folder" and "Change GP4 Path" show.
  void SetFolderDialogs(QDialog* sourceFolder, QDialog* gameFolder);
  // Shows the window centred on the screen with "Update wad" focused.
  void ShowCentred();

  // The controls, by their layout names.
  FileEdit& LMDFile1() { return lmdFile1_; }
  FileEdit& LMDFile2() { return lmdFile2_; }
  ContentsView& LMDFiles() { return lmdFiles_; }
  StatusLine& ProgressBar() { return progressBar_; }
  QPushButton& SelectFolder() { return selectFolder_; }
  QPushButton& BtnGP4Path() { return btnGP4Path_; }
  QPushButton& BtnCreateWad() { return btnCreateWad_; }
  QPushButton& BtnExtractWad() { return btnExtractWad_; }
  QPushButton& BtnUpdate1Wad() { return btnUpdate1Wad_; }
  QPushButton& BtnUpdateTracks() { return btnUpdateTracks_; }
  QPushButton& LMDButton1() { return lmdButton1_; }
  // "Patch history...": Ctrl+H anywhere in the window, and the list's menu.
  QAction& PatchHistoryAction() { return patchHistory_; }
  QWidget& PanelTop() { return panelTop_; }
  QWidget& PanelDown() { return panelDown_; }
  const std::string& SourceInitialFolder() const { return lmdFile1_.InitialFolder(); }
  const std::string& ArchiveInitialFolder() const { return lmdFile2_.InitialFolder(); }

  // Workbench
  std::string SourceText() const override;
  std::string ArchiveText() const override;
  ProgressSink& Progress() override { return progressBar_; }
  ContentsList& Contents() override { return lmdFiles_; }
  std::optional<std::string> RunSaveDialog(const std::string& proposedName, const std::string& filter) override;
  void RepaintWindow() override { repaint(); }
  void ShowMessage(const std::string& text) override;

  // MainWindowView
  void SetWindowHeight(int outerHeight) override;
  void SetWindowCaption(const std::string& text) override;
  void SetSourceText(const std::string& text) override;
  void SetArchiveText(const std::string& text) override;
  void SetSourceInitialFolder(const std::string& folder) override { lmdFile1_.SetInitialFolder(folder); }
  void SetArchiveInitialFolder(const std::string& folder) override { lmdFile2_.SetInitialFolder(folder); }
  void ShowSourceFolderDialog() override;
  void ShowGameFolderDialog() override;
  void ShowPatchHistory() override;
  void ShowErrorBox(const std::string& text) override;
  void BeginOperation() override;
  void EndOperation() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceControls();
  void SetTabOrder();

  QWidget panelTop_;
  QWidget panelDown_;
  QLabel label1_;
  QPushButton selectFolder_;
  FileEdit lmdFile1_;
  QLabel label2_;
  QPushButton btnGP4Path_;
  FileEdit lmdFile2_;
  GlyphButton btnCreateWad_;
  GlyphButton btnExtractWad_;
  GlyphButton btnUpdate1Wad_;
  GlyphButton btnUpdateTracks_;
  StatusLine progressBar_;
  QPushButton lmdButton1_;
  ContentsView lmdFiles_;
  QAction patchHistory_;
  TForm1* form_ = nullptr;
  std::unique_ptr<QFileDialog> saveDialog1_;
  QDialog* sourceFolderDialog_ = nullptr;
  QDialog* gameFolderDialog_ = nullptr;
};

}  // namespace skarvel::ui::qt
