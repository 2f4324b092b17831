#include "ui/filesfolder.h"

#include "host/Paths.h"

namespace skarvel::ui {

void TForm2::OKClick() {
  main_.Guarded([this] {
    AppState& state = main_.State();
    state.sources.clear();
    const std::string folder = view_.SelectedFolder();
    view_.Close();
    // With nothing selected there is no folder to list: walking from the empty
    // text would mean the whole root of the disk, which freezes the window for
    // as long as the disk takes and gives no usable source.
    if (!folder.empty()) state.sources = ListFilesEx(folder, "*.*", true, false, 63);
    main_.View().SetSourceText(folder);
  });
}

}  // namespace skarvel::ui
