#include "ui/win32/Win32Desktop.h"

#include "archive/WadUpdate.h"
#include "host/FileSystem.h"
#include "ui/win32/FolderDialogs.h"
#include "ui/win32/MessageBoxes.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::ui::win32 {

// The dialogs live as long as the program, with their handlers.
class FolderDialogs {
 public:
  FolderDialogs(TForm1& form, HWND owner)
      : source_(CreateSourceFolderDialog(form, owner)), game_(CreateGameFolderDialog(form, owner)) {}

  void ShowSource() { ShowFolderDialog(*source_); }
  void ShowGame() { ShowFolderDialog(*game_); }

 private:
  std::unique_ptr<FolderDialog> source_;
  std::unique_ptr<FolderDialog> game_;
};

Win32Desktop::Win32Desktop(AppState& state) : state_(state) {}

// The windows go before the handlers they call.
Win32Desktop::~Win32Desktop() {
  dialogs_.reset();
  window_.reset();
  form_.reset();
}

void Win32Desktop::CreateMainWindow() {
  window_ = std::make_unique<MainWindow>();
  window_->SetWindowCaption(title_);
  form_ = std::make_unique<TForm1>(state_, *window_);
  window_->Bind(*form_);
  // An error that a handler lets escape still gets the application's box, not
  // the end of the program.
  SetUnhandledErrorSink([this](const std::exception& error) { window_->ShowErrorBox(ErrorBoxText(error)); });
  window_->onClose = [] { PostQuitMessage(0); };
  form_->FormCreate();
}

void Win32Desktop::CreateFolderDialogs() {
  dialogs_ = std::make_unique<FolderDialogs>(*form_, window_->Handle());
  window_->SetFolderDialogs([this] { dialogs_->ShowSource(); }, [this] { dialogs_->ShowGame(); });
}

int RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (HandleFormKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

int Win32Desktop::RunEventLoop() {
  window_->ShowCentred();
  if (!messageWhenShown_.empty()) ShowPlainBox(window_->Handle(), messageWhenShown_);
  return RunMessageLoop();
}

// The main window is hidden in the installer's life: the boxes stand alone.
bool Win32Desktop::Confirm(const std::string& text) { return ConfirmBox(nullptr, text); }

void Win32Desktop::ShowMessage(const std::string& text) { ShowPlainBox(nullptr, text); }

void Win32Desktop::ShowApplicationError(const std::string& text) { ShowApplicationErrorBox(nullptr, text); }

// "Update wad" without the window's error box: the installer's errors end the program.
bool Win32Desktop::RunUpdate() { return Update1wad(state_, *window_, RecordedUpdate(state_, "installer", CurrentDirectory())); }

}  // namespace skarvel::ui::win32
