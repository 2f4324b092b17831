#include "ui/WadUnit.h"

#include <new>

#include "archive/WadArchive.h"
#include "archive/WadCreate.h"
#include "archive/WadExtract.h"
#include "archive/WadUpdate.h"
#include "host/FileSystem.h"
#include "host/GameFolder.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "host/SettingsStore.h"
#include "ui/ApplicationTitle.h"

namespace skarvel::ui {

std::string ErrorBoxText(const std::exception& error) {
  // The runtime's own words when memory runs out; every other error carries its text.
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return "M\xE9moire insuffisante";
  return error.what();
}

void TForm1::ShowError(const std::exception& error) { view_.ShowErrorBox(ErrorBoxText(error)); }

void TForm1::RunShowingErrors(const std::function<void()>& action) {
  ++handlerDepth_;
  try {
    action();
  } catch (const std::exception& error) {
    --handlerDepth_;
    ShowError(error);
    return;
  }
  --handlerDepth_;
}

void TForm1::Guarded(const std::function<void()>& action) {
  if (handlerDepth_ > 0) {
    action();
    return;
  }
  RunShowingErrors(action);
}

// The initialisation shows its own error, also when a dialog's handler runs it,
// so that the handler goes on (the game-folder dialog still closes).
void TForm1::FormCreate() {
  RunShowingErrors([this] { Initialise(); });
}

void TForm1::Initialise() {
  state_.allTracks = false;
  filesShown_ = false;
  view_.SetWindowHeight(kCollapsedHeight);
  view_.SetWindowCaption(kApplicationTitle);
  state_.settings = SettingsStore::Open(state_.registry, kMainSettingsKey);
  state_.sources = SourceList();
  GetPath(state_.registry, state_.gameFolderFound);
  view_.SetSourceText(state_.settings.ReadString("FileName", messages::kNoSourceChosen));
  view_.SetSourceInitialFolder(Path(state_.settings.ReadString("FileName", CurrentDirectory() + "\\")));
  if (state_.gameFolderFound) {
    view_.SetArchiveInitialFolder(GetPath(state_.registry, state_.gameFolderFound));
    view_.SetArchiveText(state_.settings.ReadString("WadName", ""));
  } else {
    view_.SetArchiveInitialFolder(CurrentDirectory());
  }
  if (!state_.commandLineMode) CreateFileList(state_.wad, view_.ArchiveText(), view_.Contents());
}

void TForm1::LMDButton1Click() {
  Guarded([this] {
    // The toggle alone decides: a height set by hand is not looked at.
    filesShown_ = !filesShown_;
    view_.SetWindowHeight(filesShown_ ? kShownHeight : kCollapsedHeight);
  });
}

void TForm1::LMDFile1Click() {
  Guarded([this] {
    const std::string text = view_.SourceText();
    if (text.compare(0, 2, "..") == 0) return;  // also the initial "...or select a file"
    if (!FileExists(text)) return;
    view_.SetSourceInitialFolder(Path(text));
  });
}

void TForm1::LMDFile2Change() {
  Guarded([this] {
    if (!state_.commandLineMode) CreateFileList(state_.wad, view_.ArchiveText(), view_.Contents());
  });
}

void TForm1::SelectFolderClick() {
  Guarded([this] { view_.ShowSourceFolderDialog(); });
}

void TForm1::SetGP4Path() {
  Guarded([this] { view_.ShowGameFolderDialog(); });
}

void TForm1::BtnUpdate1WadClick() {
  Guarded([this] { Update1wad(state_, view_); });
}

void TForm1::UpdateWads() {
  Guarded([this] { skarvel::UpdateWads(state_, view_); });
}

void TForm1::LMDCreateWadClick() {
  Guarded([this] { skarvel::LMDCreateWadClick(state_, view_); });
}

void TForm1::ExtractClick() {
  Guarded([this] { skarvel::ExtractClick(state_, view_); });
}

void TForm1::LMDFilesDblClick() {
  Guarded([this] { skarvel::LMDFilesDblClick(state_, view_); });
}

}  // namespace skarvel::ui
