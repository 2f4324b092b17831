#include "ui/WadUnit.h"

#include <new>

#include "archive/WadArchive.h"
#include "archive/WadCreate.h"
#include "archive/WadExtract.h"
#include "archive/WadUpdate.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/GameFolder.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "host/SettingsStore.h"
#include "ui/ApplicationTitle.h"

namespace skarvel::ui {

std::string ErrorBoxText(const std::exception& error) {
  // The runtime's own words when memory runs out; every other error carries its text.
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return runtime_text::kOutOfMemory;
  return error.what();
}

void TForm1::ShowError(const std::exception& error) { view_.ShowErrorBox(ErrorBoxText(error)); }

void TForm1::RunShowingErrors(const std::function<void()>& action, bool asOperation) {
  if (asOperation) view_.BeginOperation();
  ++handlerDepth_;
  try {
    action();
  } catch (const std::exception& error) {
    --handlerDepth_;
    // The input given while the handler ran is dropped before its error box
    // can take the next key.
    if (asOperation) view_.EndOperation();
    ShowError(error);
    return;
  }
  --handlerDepth_;
  if (asOperation) view_.EndOperation();
}

void TForm1::Guarded(const std::function<void()>& action) {
  if (handlerDepth_ > 0) {
    action();
    return;
  }
  RunShowingErrors(action, false);
}

// Only the operations: the archive edit's change handler runs at every key, and
// dropping the input queued meanwhile would drop the keys typed next.
void TForm1::RunOperation(const std::function<void()>& action) {
  if (handlerDepth_ > 0) {
    action();
    return;
  }
  RunShowingErrors(action, true);
}

// The initialisation shows its own error, also when a dialog's handler runs it,
// so that the handler goes on (the game-folder dialog still closes).
void TForm1::FormCreate() {
  // Not an operation of its own: at start the windows do not exist yet, and a
  // dialog's OK that runs it is one already.
  RunShowingErrors([this] { Initialise(); }, false);
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
  if (!state_.commandLineMode) ListNamedArchive();
}

void TForm1::ListNamedArchive() {
  // A text that cannot name a file (a "\" inside a name on Linux, a character
  // the code page cannot hold) names no file, and the list keeps its rows as it
  // does for any other such text. The operations refuse it, with the reason,
  // when they are asked to use it; the edit is not the place, as every key
  // typed would bring the box back.
  std::string archiveText;
  try {
    archiveText = view_.ArchiveText();
  } catch (const RefusedError&) {
    return;
  }
  CreateFileList(state_.wad, archiveText, view_.Contents());
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
    if (!state_.commandLineMode) ListNamedArchive();
  });
}

void TForm1::SelectFolderClick() {
  Guarded([this] { view_.ShowSourceFolderDialog(); });
}

void TForm1::SetGP4Path() {
  Guarded([this] { view_.ShowGameFolderDialog(); });
}

void TForm1::BtnUpdate1WadClick() {
  RunOperation([this] { Update1wad(state_, view_, RecordedUpdate(state_, "window")); });
}

void TForm1::UpdateWads() {
  RunOperation([this] { skarvel::UpdateWads(state_, view_, RecordedUpdate(state_, "window")); });
}

void TForm1::LMDCreateWadClick() {
  RunOperation([this] { skarvel::LMDCreateWadClick(state_, view_); });
}

void TForm1::ExtractClick() {
  RunOperation([this] { skarvel::ExtractClick(state_, view_); });
}

// The window is shown outside the guard: its own handlers, run while it is
// open, must show their errors themselves.
void TForm1::PatchHistoryClick() {
  bool ready = false;
  Guarded([&] {
    const std::string archiveText = view_.ArchiveText();
    if (archiveText.empty()) {
      view_.ShowMessage(messages::kChooseWadFirst);
    } else if (!EndsInWad(archiveText)) {
      view_.ShowMessage(messages::kNotAWadFile);
    } else if (!state_.history) {
      view_.ShowMessage("The patch history cannot be kept: the system names no folder for this user's data.");
    } else {
      ready = true;
    }
  });
  if (ready) view_.ShowPatchHistory();
}

void TForm1::LMDFilesDblClick() {
  RunOperation([this] { skarvel::LMDFilesDblClick(state_, view_); });
}

}  // namespace skarvel::ui
