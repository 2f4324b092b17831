#include "ui/win32/MainWindow.h"

#include <algorithm>

#include "host/Paths.h"
#include "host/platform/win32/CodePage.h"
#include "ui/PatchHistory.h"
#include "ui/WadUnit.h"
#include "ui/win32/MessageBoxes.h"
#include "ui/win32/OperationInput.h"
#include "ui/win32/PatchHistoryWindow.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {
namespace {

// The layout's controls, in PanelTop and PanelDown, in pixels at 96 dpi.
constexpr Rect kLabel1{8, 4, 152, 13};
constexpr Rect kSelectFolder{176, 4, 121, 15};
constexpr Rect kLMDFile1{8, 21, 417, 20};
constexpr Rect kLabel2{8, 52, 277, 13};
constexpr Rect kBtnGP4Path{320, 52, 105, 15};
constexpr Rect kLMDFile2{8, 69, 417, 20};
constexpr Rect kBtnCreateWad{8, 96, 88, 22};
constexpr Rect kBtnExtractWad{104, 96, 88, 22};
constexpr Rect kBtnUpdate1Wad{216, 96, 88, 22};
constexpr Rect kBtnUpdateTracks{312, 96, 113, 22};
constexpr Rect kProgressBar{8, 126, 417, 16};
constexpr Rect kLMDButton1{128, 3, 169, 15};

constexpr int kCollapsedClientHeight = kCollapsedHeight - kFrameHeight;  // 174

std::wstring PatchHistoryItemText() { return WideFromProgramText(kPatchHistoryCommand) + L"\tCtrl+H"; }

// The strips live as long as the program: the buttons draw from copies, the
// next window takes them again.
HBITMAP GlyphStrip(const char* resource) {
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

MainWindow::MainWindow() {
  Form::Create("", kClientWidth, kCollapsedClientHeight);
  SetClientLimits(kClientWidth, kMinimumHeight - kFrameHeight, kClientWidth, 0);
  CreateControls();
  onResize = [this] { LayOut(); };
  LayOut();
  HMENU system = GetSystemMenu(Handle(), FALSE);
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(system, MF_STRING, kPatchHistoryItem, PatchHistoryItemText().c_str());
}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::CreateControls() {
  // Creation order is tab order: PanelTop, PanelDown, then the list, and in
  // PanelTop "Update wad" first, each edit's browse button right after it.
  panelTop_.Create(Handle(), {0, 0, kClientWidth, kPanelTopHeight});
  panelDown_.Create(Handle(), {0, kCollapsedClientHeight - kPanelDownHeight, kClientWidth, kPanelDownHeight});
  lmdFiles_.Create(Handle(), {0, kPanelTopHeight, kClientWidth, 0});

  HWND top = panelTop_.Handle();
  btnUpdate1Wad_.Create(top, "Update wad", kBtnUpdate1Wad);
  lmdFile2_.Create(top, kLMDFile2);
  selectFolder_.Create(top, "Select a Folder", kSelectFolder);
  lmdFile1_.Create(top, kLMDFile1);
  btnCreateWad_.Create(top, "Create wad", kBtnCreateWad);
  btnExtractWad_.Create(top, "Extract wad", kBtnExtractWad);
  btnUpdateTracks_.Create(top, "Update all tracks", kBtnUpdateTracks);
  btnGP4Path_.Create(top, "Change GP4 Path", kBtnGP4Path);
  // Created after the buttons, so below them where a label grown to its text
  // reaches a button of the same row.
  label1_.Create(top, "Select file(s) to replace in wad(s)", kLabel1);
  label2_.Create(top, "Select one of the GP4's wad to patch or the wad to extract", kLabel2);
  progressBar_.Create(top, kProgressBar);
  lmdButton1_.Create(panelDown_.Handle(), "Show/Hide files in the wad", kLMDButton1);

  btnCreateWad_.SetGlyphStrip(GlyphStrip("GLYPH_CREATEWAD"));
  btnExtractWad_.SetGlyphStrip(GlyphStrip("GLYPH_EXTRACTWAD"));
  btnUpdate1Wad_.SetGlyphStrip(GlyphStrip("GLYPH_UPDATEWAD"));
  btnUpdateTracks_.SetGlyphStrip(GlyphStrip("GLYPH_UPDATETRACKS"));

  lmdFile1_.SetDialogTitle("Select a file");
  lmdFile1_.SetFilter("Grand Prix 4 formats |*.gp4;*.bin;*.col;*.tex;*.cfp;*.dat|All formats(*.*)|*.*");
  lmdFile1_.SetText("...or select a file");
  lmdFile1_.SetAcceptsFolders(true);
  lmdFile2_.SetDialogTitle("Select a wad");
  lmdFile2_.SetFilter("*.wad|*.wad");
  lmdFile2_.SetDefaultExtension("*.wad");
}

void MainWindow::LayOut() {
  // PanelTop at the top, PanelDown at the bottom, the list in between; below
  // the two panels' heights the list has no room left.
  const SIZE client = ClientSize();
  panelTop_.Place({0, 0, client.cx, kPanelTopHeight});
  panelDown_.Place({0, client.cy - kPanelDownHeight, client.cx, kPanelDownHeight});
  const int listHeight = std::max(0, static_cast<int>(client.cy) - kPanelTopHeight - kPanelDownHeight);
  lmdFiles_.Place({0, kPanelTopHeight, client.cx, listHeight});
  lmdFiles_.SetVisible(listHeight > 0);
}

void MainWindow::Bind(TForm1& form) {
  form_ = &form;
  SetControlShortcut('H', [&form] { form.PatchHistoryClick(); });
  lmdFiles_.onContextMenu = [this](POINT at) { ShowListMenu(at); };
  selectFolder_.onClick = [&form] { form.SelectFolderClick(); };
  btnGP4Path_.onClick = [&form] { form.SetGP4Path(); };
  lmdFile1_.onBrowse = [&form] { form.LMDFile1Click(); };
  lmdFile2_.onChange = [&form] { form.LMDFile2Change(); };
  btnCreateWad_.onClick = [&form] { form.LMDCreateWadClick(); };
  btnExtractWad_.onClick = [&form] { form.ExtractClick(); };
  btnUpdate1Wad_.onClick = [&form] { form.BtnUpdate1WadClick(); };
  btnUpdateTracks_.onClick = [&form] { form.UpdateWads(); };
  lmdButton1_.onClick = [&form] { form.LMDButton1Click(); };
  lmdFiles_.onDoubleClick = [&form] { form.LMDFilesDblClick(); };
}

void MainWindow::SetFolderDialogs(std::function<void()> showSourceFolder, std::function<void()> showGameFolder) {
  showSourceFolder_ = std::move(showSourceFolder);
  showGameFolder_ = std::move(showGameFolder);
}

void MainWindow::ShowCentred() {
  Form::ShowCentred();
  SetFocus(btnUpdate1Wad_.Handle());
}

std::optional<std::string> MainWindow::RunSaveDialog(const std::string& proposedName, const std::string& filter) {
  // The dialog keeps the last name it was given or chose.
  if (!proposedName.empty()) saveFileName_ = proposedName;
  FileDialogSettings settings{"Please choose a folder", filter, "", Path(saveFileName_), saveFileName_};
  const std::optional<std::string> accepted = win32::RunSaveDialog(Handle(), settings);
  if (accepted) saveFileName_ = *accepted;
  return accepted;
}

void MainWindow::RepaintWindow() { RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

void MainWindow::ShowMessage(const std::string& text) { ShowPlainBox(Handle(), text); }

void MainWindow::ShowErrorBox(const std::string& text) { win32::ShowErrorBox(Handle(), text); }

void MainWindow::BeginOperation() { BeginOperationInput(); }

void MainWindow::EndOperation() { EndOperationInput(); }

void MainWindow::SetWindowHeight(int outerHeight) { SetClientSize(kClientWidth, outerHeight - kFrameHeight); }

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == kPatchHistoryItem) {
    if (form_ != nullptr) RunHandler([this] { form_->PatchHistoryClick(); });
    return 0;
  }
  return Form::HandleMessage(message, wParam, lParam);
}

void MainWindow::ShowListMenu(POINT at) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kPatchHistoryItem, PatchHistoryItemText().c_str());
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Handle(), nullptr));
  DestroyMenu(menu);
  if (chosen == kPatchHistoryItem && form_ != nullptr) form_->PatchHistoryClick();
}

void MainWindow::ShowPatchHistory() {
  if (form_ == nullptr) return;
  PatchHistoryWindow window(*form_, Handle());
  window.Run();
}

void MainWindow::ShowSourceFolderDialog() {
  if (showSourceFolder_) showSourceFolder_();
}

void MainWindow::ShowGameFolderDialog() {
  if (showGameFolder_) showGameFolder_();
}

}  // namespace skarvel::ui::win32
