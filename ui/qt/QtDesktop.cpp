#include "ui/qt/QtDesktop.h"

#include <QApplication>

#include "archive/WadUpdate.h"
#include "host/FileSystem.h"
#include "ui/qt/FolderDialogs.h"
#include "ui/qt/Glyphs.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {

QtDesktop::QtDesktop(AppState& state) : state_(state) {}

// The window goes before the handlers it calls; its children (the dialogs) with it.
QtDesktop::~QtDesktop() {
  window_.reset();
  form_.reset();
}

void QtDesktop::SetApplicationTitle(const std::string& title) {
  title_ = title;
  QGuiApplication::setDesktopFileName(QStringLiteral("skarvel"));
  QApplication::setWindowIcon(ApplicationIcon());
}

void QtDesktop::CreateMainWindow() {
  window_ = std::make_unique<MainWindow>();
  window_->SetWindowCaption(title_);
  form_ = std::make_unique<TForm1>(state_, *window_);
  window_->Bind(*form_);
  form_->FormCreate();
}

void QtDesktop::CreateFolderDialogs() {
  window_->SetFolderDialogs(CreateSourceFolderDialog(*form_, window_.get()),
                            CreateGameFolderDialog(*form_, window_.get()));
}

int QtDesktop::RunEventLoop() {
  window_->ShowCentred();
  if (!messageWhenShown_.empty()) ShowPlainBox(window_.get(), messageWhenShown_);
  return QApplication::exec();
}

// The main window is hidden in the installer's life: the boxes stand alone.
bool QtDesktop::Confirm(const std::string& text) { return ConfirmBox(nullptr, text); }

void QtDesktop::ShowMessage(const std::string& text) { ShowPlainBox(nullptr, text); }

void QtDesktop::ShowApplicationError(const std::string& text) { ShowApplicationErrorBox(nullptr, text); }

void QtDesktop::SetSourceText(const std::string& text) { window_->SetSourceText(text); }

void QtDesktop::SetArchiveText(const std::string& text) { window_->SetArchiveText(text); }

// "Update wad" without the window's error box: the installer's errors end the program.
bool QtDesktop::RunUpdate() { return Update1wad(state_, *window_, RecordedUpdate(state_, "installer", CurrentDirectory())); }

}  // namespace skarvel::ui::qt
