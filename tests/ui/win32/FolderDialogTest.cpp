// The two folder dialogs as windows: their layouts before and after a resize,
// the keyboard (Enter presses OK unless a label is being edited, Escape does
// nothing), the close button hiding without OK, showing again, and OK running
// the dialog's handler over a main window's handlers.
#include <gtest/gtest.h>

#include "ShellTreeSupport.h"
#include "host/GameFolder.h"
#include "support/ScratchRegistry.h"
#include "support/ScriptedMainWindow.h"
#include "support/TempDir.h"
#include "ui/WadUnit.h"
#include "ui/win32/FolderDialogs.h"
#include "ui/win32/GameFolderDialog.h"
#include "ui/win32/SourceFolderDialog.h"

namespace skarvel::test {
namespace {

using ui::win32::FolderDialog;
using ui::win32::Form;
using ui::win32::Rect;

std::unique_ptr<FolderDialog> MakeDialog(bool source, HWND owner) {
  if (source) return std::make_unique<ui::win32::SourceFolderDialog>(owner);
  return std::make_unique<ui::win32::GameFolderDialog>(owner);
}

// A control's place in its form's client area, at 96 dots per inch.
Rect InForm(HWND control, HWND form) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&place), 2);
  const int dpi = ui::win32::DpiOf(form);
  auto unscaled = [dpi](int pixels) { return ui::win32::Unscaled(pixels, dpi); };
  return {unscaled(place.left), unscaled(place.top), unscaled(place.right - place.left),
          unscaled(place.bottom - place.top)};
}

BOOL CALLBACK TakeFirstLabel(HWND child, LPARAM result) {
  char name[16] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Static") != 0) return TRUE;
  *reinterpret_cast<HWND*>(result) = child;
  return FALSE;
}

HWND LabelOf(HWND form) {
  HWND found = nullptr;
  EnumChildWindows(form, TakeFirstLabel, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct LayoutCase {
  const char* what;
  bool source;
  bool designSize;  // the size the dialog is created with
  SIZE client;
  Rect tree, ok;
  POINT label;
  const char* caption;
  const char* labelText;
};

TEST(FolderDialogLayout, ControlsSitWhereTheLayoutPutsThemBeforeAndAfterAResize) {
  const std::vector<LayoutCase> cases = {
      {"Select Files... at its size", true, true, {236, 335}, {9, 20, 218, 279}, {152, 307, 73, 20}, {10, 4},
       "Select Files...", "Please choose a folder"},
      {"Select Files... follows a resize", true, false, {336, 435}, {9, 20, 318, 379}, {252, 407, 73, 20}, {10, 4},
       "Select Files...", "Please choose a folder"},
      {"Manual Path Entry at its size", false, true, {257, 306}, {16, 32, 225, 233}, {168, 272, 73, 25}, {16, 8},
       "Manual Path Entry", "Please Choose your GP4 Folder :"},
      {"Manual Path Entry keeps its places", false, false, {400, 450}, {16, 32, 225, 233}, {168, 272, 73, 25},
       {16, 8}, "Manual Path Entry", "Please Choose your GP4 Folder :"},
  };
  Form owner;
  owner.Create("Main", 100, 100);
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto dialog = MakeDialog(c.source, owner.Handle());
    Form& form = dialog->Window();
    EXPECT_FALSE(form.IsVisible()) << "created hidden";
    if (c.designSize) {
      EXPECT_EQ(form.ClientSize().cx, c.client.cx);
      EXPECT_EQ(form.ClientSize().cy, c.client.cy);
    }
    form.SetClientSize(c.client.cx, c.client.cy);
    HWND window = form.Handle();
    HWND tree = dialog->Tree().View().Handle();
    HWND ok = dialog->Ok().Handle();
    EXPECT_EQ(InForm(tree, window), c.tree);
    EXPECT_EQ(InForm(ok, window), c.ok);
    const Rect label = InForm(LabelOf(window), window);
    EXPECT_EQ(label.left, c.label.x);
    EXPECT_EQ(label.top, c.label.y);
    EXPECT_EQ(form.Text(), c.caption);
    EXPECT_EQ(dialog->Ok().Text(), "OK");
    char text[64] = "";
    GetWindowTextA(LabelOf(window), text, sizeof text);
    EXPECT_STREQ(text, c.labelText);

    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "stays on top";
    EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME, 0) << "sizeable";
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << "a close box only";
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner.Handle());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(tree, WM_GETFONT, 0, 0)), ui::win32::ProgramFont(ui::win32::DpiOf(window)));
    EXPECT_EQ(GetNextDlgTabItem(window, tree, FALSE), ok) << "the tree, then OK";
    EXPECT_EQ(GetNextDlgTabItem(window, ok, FALSE), tree);
  }
}

TEST(FolderDialogKeys, EnterPressesOkUnlessALabelIsBeingEditedAndEscapeDoesNothing) {
  for (const bool source : {true, false}) {
    SCOPED_TRACE(source ? "Select Files..." : "Manual Path Entry");
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.Native("folder").c_str(), nullptr));
    auto dialog = MakeDialog(source, nullptr);
    int pressed = 0;
    dialog->Ok().onClick = [&] { ++pressed; };
    dialog->Show();
    auto& view = dialog->Tree().View();
    ASSERT_EQ(GetFocus(), view.Handle());

    PressKey(VK_RETURN);
    EXPECT_EQ(pressed, 1);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(dialog->Window().IsVisible());

    HTREEITEM folder = ExpandTo(dialog->Tree(), dir.Native("folder"));
    ASSERT_NE(folder, nullptr);
    view.Select(folder);
    PressKey(VK_F2);  // renames, as in Explorer
    ASSERT_TRUE(view.IsEditingLabel());
    PressKey(VK_RETURN);
    EXPECT_FALSE(view.IsEditingLabel()) << "Enter ends the edit";
    EXPECT_EQ(pressed, 1);
  }
}

class DialogsOverMainWindow : public ::testing::Test {
 protected:
  TempDir dir;
  AppState state{ScratchRegistry(dir)};
  ScriptedMainWindow window;
  ui::TForm1 main{state, window};

  void SetUp() override {
    for (const char* name : {"a.tex", "b.tex", "c.bin", "sub\\d.tex", "sub\\e.gp4"}) {
      WriteNativeFile(dir.Native(std::string("mod\\") + name), name);
    }
    state.sources = {"left over"};
  }
  void Choose(FolderDialog& dialog, const std::string& folder) {
    ui::win32::ShowFolderDialog(dialog);
    HTREEITEM item = ExpandTo(dialog.Tree(), folder);
    ASSERT_NE(item, nullptr) << folder;
    dialog.Tree().View().Select(item);
  }
};

// The folder goes into the source edit at once; the update and the creation
// read its files when they run.
TEST_F(DialogsOverMainWindow, SourceOkPutsTheFolderIntoTheSourceEdit) {
  auto dialog = ui::win32::CreateSourceFolderDialog(main, nullptr);
  Choose(*dialog, dir.Native("mod"));
  state.sources = {"left over"};

  dialog->Ok().Click();

  EXPECT_TRUE(state.sources.empty());
  EXPECT_EQ(window.events, std::vector<std::string>{"source-text:" + dir.Native("mod")});
  EXPECT_FALSE(dialog->Window().IsVisible());
}

TEST_F(DialogsOverMainWindow, GameFolderOkRecordsAFolderHoldingTheGame) {
  WriteNativeFile(dir.Native("GP4\\GP4.exe"), "MZ");
  auto dialog = ui::win32::CreateGameFolderDialog(main, nullptr);
  Choose(*dialog, dir.Native("GP4"));

  dialog->Ok().Click();

  bool found = false;
  EXPECT_EQ(GetPath(state.registry, found), dir.Native("GP4"));
  EXPECT_FALSE(dialog->Window().IsVisible());
}

TEST_F(DialogsOverMainWindow, TheCloseButtonHidesWithoutOkAndShowingAgainKeepsTheSelection) {
  auto dialog = ui::win32::CreateSourceFolderDialog(main, nullptr);
  Choose(*dialog, dir.Native("mod"));
  HWND form = dialog->Window().Handle();
  SetWindowPos(form, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ui::win32::ShowFolderDialog(*dialog);
  RECT place{};
  GetWindowRect(form, &place);
  EXPECT_EQ(place.left, 10) << "an open dialog is only brought to the front";

  SendMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);

  EXPECT_FALSE(dialog->Window().IsVisible());
  EXPECT_EQ(state.sources, std::vector<std::string>{"left over"});
  EXPECT_TRUE(window.events.empty());
  ui::win32::ShowFolderDialog(*dialog);
  EXPECT_TRUE(dialog->Window().IsVisible());
  EXPECT_EQ(dialog->SelectedFolder(), dir.Native("mod"));
}

}  // namespace
}  // namespace skarvel::test
