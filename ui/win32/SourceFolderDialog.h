#pragma once
// The source-folder dialog "Select Files..." (Form2): a label on a panel at the
// top, the folder tree between two margin panels, OK anchored to the top right
// of a panel at the bottom; all of it follows a resize. Its tree refreshes
// itself when the watched folder changes on disk.
#include "ui/win32/FolderDialog.h"
#include "ui/win32/controls/Label.h"

namespace skarvel::ui::win32 {

class SourceFolderDialog : public FolderDialog {
 public:
  explicit SourceFolderDialog(HWND owner);
  ~SourceFolderDialog() override;

 private:
  void Layout();

  Panel panel1_;  // bottom, holds OK
  Panel panel2_;  // left margin
  Panel panel3_;  // right margin
  Panel panel4_;  // top, holds the label
  Label label1_;
};

}  // namespace skarvel::ui::win32
