#pragma once
// The source-folder dialog "Select Files..." (Form2): a label on top, the
// folder tree between two margins, OK at the bottom right; all of it follows a
// resize. Its tree refreshes itself when the watched folder changes on disk.
#include "ui/qt/FolderDialog.h"
#include "ui/qt/FolderWatcher.h"

namespace skarvel::ui::qt {

class SourceFolderDialog : public FolderDialog {
  Q_OBJECT

 public:
  explicit SourceFolderDialog(QWidget* parent);

  FolderWatcher& Watcher() { return *watcher_; }

 private:
  FolderWatcher* watcher_;
};

}  // namespace skarvel::ui::qt
