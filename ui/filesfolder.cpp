#include "ui/filesfolder.h"

#include "host/Paths.h"

namespace skarvel::ui {

void TForm2::OKClick() {
  main_.Guarded([this] {
    // The update and the creation read the folder again when they start, so
    // nothing here walks it: a walk of a large folder (or of "/") would freeze
    // the window, and a name in it that the code page cannot hold would end OK
    // with a box before the edit got the folder.
    main_.State().sources.clear();
    const std::string folder = view_.SelectedFolder();
    view_.Close();
    main_.View().SetSourceText(folder);
  });
}

}  // namespace skarvel::ui
