#include "ui/qt/MainWindow.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "host/Paths.h"

#include "ui/PatchHistory.h"
#include "ui/WadUnit.h"
#include "ui/qt/DialogFilter.h"
#include "ui/qt/FolderDialogs.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/OperationInput.h"
#include "ui/qt/PatchHistoryDialog.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {
namespace {

// The layout's controls: name, position and size in the panel, in pixels at 96 dpi.
struct Place {
  int left, top, width, height;
};
constexpr Place kLabel1{8, 4, 152, 13};
constexpr Place kSelectFolder{176, 4, 121, 15};
constexpr Place kLMDFile1{8, 21, 417, 20};
constexpr Place kLabel2{8, 52, 277, 13};
constexpr Place kBtnGP4Path{320, 52, 105, 15};
constexpr Place kLMDFile2{8, 69, 417, 20};
constexpr Place kBtnCreateWad{8, 96, 88, 22};
constexpr Place kBtnExtractWad{104, 96, 88, 22};
constexpr Place kBtnUpdate1Wad{216, 96, 88, 22};
constexpr Place kBtnUpdateTracks{312, 96, 113, 22};
constexpr Place kProgressBar{8, 126, 417, 16};
constexpr Place kLMDButton1{128, 3, 169, 15};

void Put(QWidget& widget, const Place& place) { widget.setGeometry(place.left, place.top, place.width, place.height); }

// A label sizes itself to its text, as the layout's labels do; never narrower
// than its place.
void PutLabel(QLabel& label, const Place& place) {
  Put(label, place);
  label.resize(std::max(place.width, label.sizeHint().width()), place.height);
}

// The shared save dialog. Qt's dialog opens a folder whose name is typed
// instead of accepting it, so a proposed target that is an existing folder (the
// folder of the last extraction) could never be confirmed: the proposal itself
// is accepted as it stands.
class SaveDialog : public QFileDialog {
 public:
  SaveDialog(QWidget* parent, const QString& caption) : QFileDialog(parent, caption) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    // Qt names the accept button "Open" while a folder is named; for the
    // proposal, which the button accepts, it keeps its own name. Connected
    // after the dialog's own relabelling, so this runs last.
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      connect(name, &QLineEdit::textChanged, this, [this] { KeepAcceptLabel(); });
    }
  }
  void Propose(const QString& path) {
    proposed_ = path;
    KeepAcceptLabel();
  }

  void accept() override {
    if (NamesProposedFolder()) {
      QDialog::accept();
      return;
    }
    QFileDialog::accept();
  }

 private:
  bool NamesProposedFolder() const {
    const QStringList chosen = selectedFiles();
    return !proposed_.isEmpty() && chosen.size() == 1 && QFileInfo(chosen.first()) == QFileInfo(proposed_) &&
           QFileInfo(proposed_).isDir();
  }
  void KeepAcceptLabel() {
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QPushButton* save = buttons != nullptr ? buttons->button(QDialogButtonBox::Save) : nullptr;
    if (save != nullptr && NamesProposedFolder()) save->setText(QFileDialog::tr("&Save"));
  }

  QString proposed_;
};

}  // namespace

QFont ProgramFont() {
  // The layout's font first, then the faces closest to it in width, so the
  // texts fit the places the layout gives them.
  for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial"}) {
    if (QFontDatabase::hasFamily(family)) return QFont(family, 8);
  }
  QFont font(QStringLiteral("DejaVu Sans"), 8);
  if (QFontDatabase::hasFamily(font.family())) {
    font.setStretch(QFont::SemiCondensed);
    return font;
  }
  font = QFont();
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent),
      panelTop_(this),
      panelDown_(this),
      label1_(QStringLiteral("Select file(s) to replace in wad(s)"), &panelTop_),
      selectFolder_(QStringLiteral("Select a Folder"), &panelTop_),
      lmdFile1_(&panelTop_),
      label2_(QStringLiteral("Select one of the GP4's wad to patch or the wad to extract"), &panelTop_),
      btnGP4Path_(QStringLiteral("Change GP4 Path"), &panelTop_),
      lmdFile2_(&panelTop_),
      btnCreateWad_(Glyph::CreateWad, QStringLiteral("Create wad"), &panelTop_),
      btnExtractWad_(Glyph::ExtractWad, QStringLiteral("Extract wad"), &panelTop_),
      btnUpdate1Wad_(Glyph::UpdateWad, QStringLiteral("Update wad"), &panelTop_),
      btnUpdateTracks_(Glyph::UpdateTracks, QStringLiteral("Update all tracks"), &panelTop_),
      progressBar_(&panelTop_),
      lmdButton1_(QStringLiteral("Show/Hide files in the wad"), &panelDown_),
      lmdFiles_(this),
      patchHistory_(QString::fromLatin1(kPatchHistoryCommand), this) {
  setFont(ProgramFont());
  setWindowIcon(ApplicationIcon());
  setMinimumSize(kClientWidth, kMinimumHeight - kFrameHeight);
  setMaximumWidth(kClientWidth);
  resize(kClientWidth, kCollapsedHeight - kFrameHeight);

  lmdFile1_.SetDialogTitle("Select a file");
  lmdFile1_.SetFilter("Grand Prix 4 formats |*.gp4;*.bin;*.col;*.tex;*.cfp;*.dat|All formats(*.*)|*.*");
  lmdFile1_.SetText(QStringLiteral("...or select a file"));
  lmdFile1_.SetAccessibleLabel(label1_.text());
  lmdFile1_.SetAcceptsFolders(true);
  label1_.setBuddy(&lmdFile1_.Edit());
  lmdFile2_.SetDialogTitle("Select a wad");
  lmdFile2_.SetFilter("*.wad|*.wad");
  lmdFile2_.SetDefaultExtension("*.wad");
  lmdFile2_.SetAccessibleLabel(label2_.text());
  label2_.setBuddy(&lmdFile2_.Edit());
  progressBar_.setAccessibleDescription(QStringLiteral("Status"));
  // A window shortcut goes before the focused control's own keys, so an edit
  // never takes Ctrl+H for a backspace.
  patchHistory_.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  patchHistory_.setShortcutContext(Qt::WindowShortcut);
  addAction(&patchHistory_);
  lmdFiles_.setContextMenuPolicy(Qt::ActionsContextMenu);
  lmdFiles_.addAction(&patchHistory_);

  PlaceControls();
  SetTabOrder();
  btnUpdate1Wad_.setFocus();
}

void MainWindow::PlaceControls() {
  PutLabel(label1_, kLabel1);
  Put(selectFolder_, kSelectFolder);
  Put(lmdFile1_, kLMDFile1);
  PutLabel(label2_, kLabel2);
  Put(btnGP4Path_, kBtnGP4Path);
  Put(lmdFile2_, kLMDFile2);
  Put(btnCreateWad_, kBtnCreateWad);
  Put(btnExtractWad_, kBtnExtractWad);
  Put(btnUpdate1Wad_, kBtnUpdate1Wad);
  Put(btnUpdateTracks_, kBtnUpdateTracks);
  Put(progressBar_, kProgressBar);
  Put(lmdButton1_, kLMDButton1);
  // The buttons of the top row stay above a label that has grown past its place.
  selectFolder_.raise();
  btnGP4Path_.raise();
}

void MainWindow::SetTabOrder() {
  // PanelTop by the layout's order, then PanelDown, then the list; each edit's
  // browse button right after its edit.
  QWidget* order[] = {&btnUpdate1Wad_,  &lmdFile2_.Edit(), &lmdFile2_.BrowseButton(), &selectFolder_,
                      &lmdFile1_.Edit(), &lmdFile1_.BrowseButton(), &btnCreateWad_, &btnExtractWad_,
                      &btnUpdateTracks_, &btnGP4Path_, &lmdButton1_, &lmdFiles_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // PanelTop at the top, PanelDown at the bottom, the list in between; below
  // the two panels' heights the list has no room left.
  const int w = width();
  const int h = height();
  panelTop_.setGeometry(0, 0, w, kPanelTopHeight);
  panelDown_.setGeometry(0, h - kPanelDownHeight, w, kPanelDownHeight);
  const int listHeight = std::max(0, h - kPanelTopHeight - kPanelDownHeight);
  lmdFiles_.setGeometry(0, kPanelTopHeight, w, listHeight);
  lmdFiles_.setVisible(listHeight > 0);
  panelDown_.raise();
}

void MainWindow::Bind(TForm1& form) {
  form_ = &form;
  connect(&patchHistory_, &QAction::triggered, this, [&form] { form.PatchHistoryClick(); });
  connect(&selectFolder_, &QPushButton::clicked, this, [&form] { form.SelectFolderClick(); });
  connect(&btnGP4Path_, &QPushButton::clicked, this, [&form] { form.SetGP4Path(); });
  connect(&lmdFile1_, &FileEdit::Browsed, this, [&form] { form.LMDFile1Click(); });
  connect(&lmdFile2_, &FileEdit::Changed, this, [&form] { form.LMDFile2Change(); });
  connect(&btnCreateWad_, &QPushButton::clicked, this, [&form] { form.LMDCreateWadClick(); });
  connect(&btnExtractWad_, &QPushButton::clicked, this, [&form] { form.ExtractClick(); });
  connect(&btnUpdate1Wad_, &QPushButton::clicked, this, [&form] { form.BtnUpdate1WadClick(); });
  connect(&btnUpdateTracks_, &QPushButton::clicked, this, [&form] { form.UpdateWads(); });
  connect(&lmdButton1_, &QPushButton::clicked, this, [&form] { form.LMDButton1Click(); });
  connect(&lmdFiles_, &ContentsView::DoubleClicked, this, [&form] { form.LMDFilesDblClick(); });
}

void MainWindow::SetFolderDialogs(QDialog* sourceFolder, QDialog* gameFolder) {
  sourceFolderDialog_ = sourceFolder;
  gameFolderDialog_ = gameFolder;
}

void MainWindow::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
  btnUpdate1Wad_.setFocus();
}

std::string MainWindow::SourceText() const { return InternalPath(lmdFile1_.Text()); }

std::string MainWindow::ArchiveText() const { return InternalPath(lmdFile2_.Text()); }

std::optional<std::string> MainWindow::RunSaveDialog(const std::string& proposedName, const std::string& filter) {
  if (!saveDialog1_) {
    // Qt's own dialog, whose accept the program decides; a desktop's dialog
    // would open the proposed folder.
    saveDialog1_ = std::make_unique<SaveDialog>(this, QStringLiteral("Please choose a folder"));
    saveDialog1_->setFileMode(QFileDialog::AnyFile);
    saveDialog1_->setOption(QFileDialog::HideNameFilterDetails);
    // The operations replace what the user names, as the program always has.
    saveDialog1_->setOption(QFileDialog::DontConfirmOverwrite);
  }
  SaveDialog& dialog = static_cast<SaveDialog&>(*saveDialog1_);
  const QStringList filters = NameFilters(filter);
  dialog.setNameFilters(filters.isEmpty() ? QStringList{QStringLiteral("*")} : filters);
  // The dialog keeps the last name it was given or chose.
  if (!proposedName.empty()) {
    const QFileInfo proposed(NativePathText(proposedName));
    if (!Path(proposedName).empty()) dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
    dialog.Propose(proposed.absoluteFilePath());
  }
  const ModalPointer pointer;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return InternalPath(dialog.selectedFiles().first());
}

void MainWindow::BeginOperation() { BeginOperationInput(); }

void MainWindow::EndOperation() { EndOperationInput(); }

void MainWindow::ShowMessage(const std::string& text) { ShowPlainBox(this, text); }

void MainWindow::ShowErrorBox(const std::string& text) { qt::ShowErrorBox(this, text); }

void MainWindow::SetWindowHeight(int outerHeight) { resize(kClientWidth, outerHeight - kFrameHeight); }

void MainWindow::SetWindowCaption(const std::string& text) { setWindowTitle(DisplayText(text)); }

void MainWindow::SetSourceText(const std::string& text) { lmdFile1_.SetText(NativePathText(text)); }

void MainWindow::SetArchiveText(const std::string& text) { lmdFile2_.SetText(NativePathText(text)); }

void MainWindow::ShowSourceFolderDialog() {
  if (sourceFolderDialog_ != nullptr) ShowFolderDialog(sourceFolderDialog_);
}

void MainWindow::ShowPatchHistory() {
  if (form_ == nullptr) return;
  PatchHistoryDialog dialog(*form_, this);
  dialog.Run();
}

void MainWindow::ShowGameFolderDialog() {
  if (gameFolderDialog_ != nullptr) ShowFolderDialog(gameFolderDialog_);
}

}  // namespace skarvel::ui::qt
