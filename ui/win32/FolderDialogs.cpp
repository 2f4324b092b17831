#include "ui/win32/FolderDialogs.h"

#include "ui/ManualPath.h"
#include "ui/filesfolder.h"
#include "ui/win32/GameFolderDialog.h"
#include "ui/win32/SourceFolderDialog.h"

namespace skarvel::ui::win32 {
namespace {

// A dialog whose OK runs a handler that lives as long as the dialog.
template <typename Dialog, typename Handler>
class DialogWithHandler final : public Dialog {
 public:
  DialogWithHandler(TForm1& mainWindow, HWND owner, void (Handler::*click)())
      : Dialog(owner), handler_(mainWindow, *this) {
    this->Ok().onClick = [this, click] { (handler_.*click)(); };
  }

 private:
  Handler handler_;
};

}  // namespace

std::unique_ptr<FolderDialog> CreateSourceFolderDialog(TForm1& mainWindow, HWND owner) {
  return std::make_unique<DialogWithHandler<SourceFolderDialog, TForm2>>(mainWindow, owner, &TForm2::OKClick);
}

std::unique_ptr<FolderDialog> CreateGameFolderDialog(TForm1& mainWindow, HWND owner) {
  return std::make_unique<DialogWithHandler<GameFolderDialog, TForm5>>(mainWindow, owner, &TForm5::Button1Click);
}

void ShowFolderDialog(FolderDialog& dialog) { dialog.Show(); }

}  // namespace skarvel::ui::win32
