#include "ui/ManualPath.h"

#include "host/GameFolder.h"

namespace skarvel::ui {

void TForm5::Button1Click() {
  main_.Guarded([this] {
    const std::string folder = view_.SelectedFolder();
    skarvel::Button1Click(main_.State().registry, folder, [this] { main_.FormCreate(); });
    view_.Close();
  });
}

}  // namespace skarvel::ui
