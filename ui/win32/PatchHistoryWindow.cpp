#include "ui/win32/PatchHistoryWindow.h"

#include "ui/win32/MessageBoxes.h"
#include "ui/win32/controls/Events.h"
#include "ui/win32/controls/Modality.h"

namespace skarvel::ui::win32 {
namespace {

// The window's client area and its controls, in pixels at 96 dpi.
constexpr int kClientWidth = 600, kClientHeight = 300;
constexpr Rect kPatches{8, 8, 584, 232};
constexpr Rect kNote{8, 246, 584, 15};
constexpr Rect kRestore{8, 269, 170, 23};
constexpr Rect kUndoPackage{186, 269, 120, 23};
constexpr Rect kClose{517, 269, 75, 23};

}  // namespace

PatchHistoryWindow::PatchHistoryWindow(TForm1& main, HWND owner) : owner_(owner), handlers_(main, *this) {
  form_.CreateOwnedTool("", kClientWidth, kClientHeight, 0, owner);
  form_.SetClientLimits(kClientWidth, kClientHeight, kClientWidth, kClientHeight);
  HWND window = form_.Handle();
  patches_.Create(window, kPatches, {{"Time", 120}, {"How", 70}, {"Source", 250}, {"Entries", 130}});
  note_.Create(window, "", kNote);
  restore_.Create(window, kRestoreButton, kRestore);
  undoPackage_.Create(window, kUndoPackageButton, kUndoPackage);
  close_.Create(window, kCloseButton, kClose, true);
  form_.SetDefaultButton(close_.Id());

  patches_.onSelect = [this] { handlers_.ListSelect(); };
  restore_.onClick = [this] { handlers_.RestoreClick(); };
  undoPackage_.onClick = [this] { handlers_.UndoPackageClick(); };
  close_.onClick = [this] { handlers_.CloseClick(); };
  form_.onClose = [this] { handlers_.CloseClick(); };
}

PatchHistoryWindow::~PatchHistoryWindow() { form_.Destroy(); }

void PatchHistoryWindow::Run() {
  handlers_.FormShow();
  BusyScope busy;
  // Every other window of the program waits, the folder dialogs included.
  const ModalScope modal(form_.Handle());
  form_.ShowCentred();
  SetFocus(patches_.Handle());
  MSG message{};
  while (form_.IsVisible()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the quit goes on to the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (HandleFormKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void PatchHistoryWindow::SetRows(const std::vector<PatchHistoryRow>& rows) {
  std::vector<std::vector<std::string>> texts;
  for (const PatchHistoryRow& row : rows) texts.push_back({row.time, row.how, row.source, row.entries});
  patches_.SetRows(texts);
  if (!rows.empty()) patches_.SelectRow(0);
}

void PatchHistoryWindow::EnableActions(bool restore, bool undoPackage) {
  EnableWindow(restore_.Handle(), restore);
  EnableWindow(undoPackage_.Handle(), undoPackage);
}

bool PatchHistoryWindow::Confirm(const std::string& text) { return ConfirmBox(form_.Handle(), text); }

void PatchHistoryWindow::Close() {
  // The owner first, so that Windows gives it the activation, not another program.
  EnableWindow(owner_, TRUE);
  form_.SetVisible(false);
}

}  // namespace skarvel::ui::win32
