// The Win32 main window as a user meets it: where each control is, what it
// says, the order Tab visits them, the list's rows, the status line's pixels,
// and the handlers the controls reach.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "archive/AppState.h"
#include "host/Errors.h"
#include "support/ScratchRegistry.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"
#include "support/win32/WindowProbe.h"
#include "ui/WadUnit.h"
#include "ui/win32/FolderDialogs.h"
#include "ui/win32/MainWindow.h"

namespace skarvel::ui::win32 {
namespace {

struct Placed {
  const char* name;
  Control& (*control)(MainWindow&);
  Rect place;
  const char* text;
};

TEST(MainWindowTest, ControlsSitAtTheirPlacesWithTheirTexts) {
  MainWindow window;
  const Placed controls[] = {
      {"SelectFolder", [](MainWindow& w) -> Control& { return w.SelectFolder(); }, {176, 4, 121, 15}, "Select a Folder"},
      {"BtnGP4Path", [](MainWindow& w) -> Control& { return w.BtnGP4Path(); }, {320, 52, 105, 15}, "Change GP4 Path"},
      {"BtnCreateWad", [](MainWindow& w) -> Control& { return w.BtnCreateWad(); }, {8, 96, 88, 22}, "Create wad"},
      {"BtnExtractWad", [](MainWindow& w) -> Control& { return w.BtnExtractWad(); }, {104, 96, 88, 22}, "Extract wad"},
      {"BtnUpdate1Wad", [](MainWindow& w) -> Control& { return w.BtnUpdate1Wad(); }, {216, 96, 88, 22}, "Update wad"},
      {"BtnUpdateTracks", [](MainWindow& w) -> Control& { return w.BtnUpdateTracks(); }, {312, 96, 113, 22},
       "Update all tracks"},
      {"ProgressBar", [](MainWindow& w) -> Control& { return w.ProgressBar(); }, {8, 126, 417, 16}, ""},
      {"LMDButton1", [](MainWindow& w) -> Control& { return w.LMDButton1(); }, {128, 3, 169, 15},
       "Show/Hide files in the wad"},
      {"PanelTop", [](MainWindow& w) -> Control& { return w.PanelTop(); }, {0, 0, 433, 153}, ""},
      {"PanelDown", [](MainWindow& w) -> Control& { return w.PanelDown(); }, {0, 153, 433, 21}, ""},
      // The edits with their browse buttons at the right end.
      {"LMDFile1", [](MainWindow& w) -> Control& { return w.LMDFile1().TextEdit(); }, {8, 21, 397, 20},
       "...or select a file"},
      {"LMDFile1 browse", [](MainWindow& w) -> Control& { return w.LMDFile1().BrowseButton(); }, {405, 21, 20, 20},
       "..."},
      {"LMDFile2", [](MainWindow& w) -> Control& { return w.LMDFile2().TextEdit(); }, {8, 69, 397, 20}, ""},
      {"LMDFile2 browse", [](MainWindow& w) -> Control& { return w.LMDFile2().BrowseButton(); }, {405, 69, 20, 20},
       "..."},
  };
  for (const Placed& c : controls) {
    EXPECT_EQ(c.control(window).Placement(), c.place) << c.name;
    EXPECT_EQ(c.control(window).Text(), c.text) << c.name;
  }
  // A label is as wide as its text, never narrower than its place.
  for (Label* label : {&window.Label1(), &window.Label2()}) {
    EXPECT_GE(label->Placement().width, label == &window.Label1() ? 152 : 277);
  }
  EXPECT_EQ(window.Label1().Text(), "Select file(s) to replace in wad(s)");
  EXPECT_EQ(window.Label2().Text(), "Select one of the GP4's wad to patch or the wad to extract");
}

TEST(MainWindowTest, HeightsSizeTheClientAreaAndTheListFillsWhatThePanelsLeave) {
  MainWindow window;
  struct Case {
    int outerHeight, clientHeight, listHeight;
  };
  for (const Case& c : {Case{208, 174, 0}, Case{467, 433, 259}, Case{208, 174, 0}}) {
    window.SetWindowHeight(c.outerHeight);
    EXPECT_EQ(window.ClientSize().cx, 433) << c.outerHeight;
    EXPECT_EQ(window.ClientSize().cy, c.clientHeight) << c.outerHeight;
    EXPECT_EQ(window.LMDFiles().Placement().height, c.listHeight) << c.outerHeight;
    EXPECT_EQ(window.LMDFiles().IsVisible(), c.listHeight > 0) << c.outerHeight;
    EXPECT_EQ(window.PanelDown().Placement().top, c.clientHeight - 21) << c.outerHeight;
  }
  // The width is fixed and the height has its minimum.
  MINMAXINFO limits{};
  SendMessageA(window.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x);
  EXPECT_EQ(limits.ptMinTrackSize.x, window.OuterSizeFor(433, 144).cx);
  EXPECT_EQ(limits.ptMinTrackSize.y, window.OuterSizeFor(433, 144).cy);
}

TEST(MainWindowTest, TabVisitsTheControlsInTheLayoutsOrderFromUpdateWad) {
  MainWindow window;
  window.SetWindowHeight(467);
  window.ShowCentred();
  EXPECT_EQ(GetFocus(), window.BtnUpdate1Wad().Handle());
  const HWND expected[] = {window.BtnUpdate1Wad().Handle(),   window.LMDFile2().TextEdit().Handle(),
                           window.LMDFile2().BrowseButton().Handle(), window.SelectFolder().Handle(),
                           window.LMDFile1().TextEdit().Handle(), window.LMDFile1().BrowseButton().Handle(),
                           window.BtnCreateWad().Handle(),    window.BtnExtractWad().Handle(),
                           window.BtnUpdateTracks().Handle(), window.BtnGP4Path().Handle(),
                           window.LMDButton1().Handle(),      window.LMDFiles().Handle()};
  HWND at = expected[0];
  for (std::size_t i = 1; i <= std::size(expected); ++i) {
    at = GetNextDlgTabItem(window.Handle(), at, FALSE);
    EXPECT_EQ(at, expected[i % std::size(expected)]) << "stop " << i << ": " << test::WindowText(at);
  }
}

TEST(MainWindowTest, TheListShowsThreeFieldsOfEachRowInCaseBlindOrder) {
  MainWindow window;
  ContentsView& list = window.LMDFiles();
  list.SetRows({"b.tex;data\\;1024;7", "A.tex;;5;0", "track.gp4;data\\;1024;3"});
  const char* shown[][3] = {{"A.tex", "", "5"}, {"b.tex", "data\\", "1024"}, {"track.gp4", "data\\", "1024"}};
  ASSERT_EQ(test::ListViewRowCount(list.Handle()), 3);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      EXPECT_EQ(test::ListViewText(list.Handle(), row, column), shown[row][column]) << row << "," << column;
    }
  }
  list.SelectRow(1);
  EXPECT_EQ(list.SelectedRowField(0), "b.tex");
  EXPECT_EQ(list.SelectedRowField(3), "7");
  list.SetRows({});
  EXPECT_EQ(test::ListViewRowCount(list.Handle()), 0);
  EXPECT_THROW(list.SelectedRowField(0), ListIndexError);

  // The header: its captions, widths and alignments, 17 high.
  HWND header = reinterpret_cast<HWND>(SendMessageA(list.Handle(), LVM_GETHEADER, 0, 0));
  const struct {
    const char* caption;
    int width, format;
  } columns[] = {{"File Name", 200, HDF_LEFT}, {"Path", 120, HDF_LEFT}, {"Size", 76, HDF_RIGHT}};
  for (int i = 0; i < 3; ++i) {
    char caption[64] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = caption;
    item.cchTextMax = sizeof caption;
    SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(caption, columns[i].caption);
    EXPECT_EQ(item.cxy, columns[i].width);
    EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, columns[i].format);
  }
  RECT headerRect{};
  GetWindowRect(header, &headerRect);
  EXPECT_EQ(headerRect.bottom - headerRect.top, ContentsView::kHeaderHeight);
}

// The first and last pixel of a row's middle line that differ from the
// window colour, between two x, in the list's own drawing.
std::pair<int, int> InkBetween(HWND list, int row, int from, int to) {
  RECT client{}, item{LVIR_BOUNDS, 0, 0, 0};
  GetClientRect(list, &client);
  SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, picture);
  SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  std::pair<int, int> ink{-1, -1};
  for (int x = from; x < to; ++x) {
    if (GetPixel(memory, x, (item.top + item.bottom) / 2) == GetSysColor(COLOR_WINDOW)) continue;
    if (ink.first < 0) ink.first = x;
    ink.second = x;
  }
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ink;
}

TEST(MainWindowTest, TheListDrawsEachFieldFromItsColumnsLeftPlusOneToItsRightMinusOneClipped) {
  MainWindow window;
  window.SetWindowHeight(467);
  ContentsView& list = window.LMDFiles();
  list.SetRows({std::string(60, 'W') + ";;1024;0"});
  // Column 0 from 0 to 200 holds a name wider than itself, column 2 from 320
  // to 396 a size drawn to the right; column 1 is empty.
  struct Case {
    int from, to, firstAtMost, lastAtLeast;
  };
  for (const Case& c : {Case{0, 200, 2, 197}, Case{200, 320, -1, -1}, Case{320, 396, 395, 392}}) {
    const auto [first, last] = InkBetween(list.Handle(), 0, c.from, c.to);
    if (c.firstAtMost < 0) {
      EXPECT_EQ(first, -1) << "nothing drawn in " << c.from;
      continue;
    }
    EXPECT_GE(first, c.from + 1) << c.from;
    EXPECT_LE(first, c.firstAtMost) << c.from;
    EXPECT_GE(last, c.lastAtLeast) << c.from;
    EXPECT_LE(last, c.to - 2) << c.from;
  }
}

// The filled width of the status line's middle row, read from its own drawing.
int FilledPixels(StatusLine& bar) {
  const Rect place = bar.Placement();
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, place.width, place.height);
  HGDIOBJ old = SelectObject(memory, picture);
  SendMessageA(bar.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  int filled = 0;
  for (int x = 0; x < place.width; ++x) filled += GetPixel(memory, x, place.height / 2) == StatusLine::kFillColour;
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return filled;
}

TEST(MainWindowTest, TheStatusLineFillsItsInnerWidthByThePercentageHeldAt100AtMost) {
  MainWindow window;
  StatusLine& bar = window.ProgressBar();
  const int inner = 417 - 2;  // inside the bevel
  struct Case {
    int set, held, filled;
  };
  for (const Case& c : {Case{50, 50, inner * 50 / 100}, Case{100, 100, inner}, Case{150, 100, inner},
                        Case{0, 0, 0}}) {
    bar.SetPosition(static_cast<std::uint8_t>(c.set));
    EXPECT_EQ(bar.Position(), c.held) << c.set;
    EXPECT_EQ(FilledPixels(bar), c.filled) << c.set;
  }
  bar.SetCaption("Update done in 0.12s");
  EXPECT_EQ(bar.Text(), "Update done in 0.12s");
  bar.SetPosition(0);
  EXPECT_EQ(bar.Caption(), "Update done in 0.12s");
}

TEST(MainWindowTest, ControlsReachTheirHandlers) {
  test::TempDir dir;
  test::WriteNativeFile(dir.Native("cars.wad"), test::PackedWad({{"cars\\a.tex", "aaa"}, {"b.bin", "bb"}}));
  AppState state(test::ScratchRegistry(dir));
  MainWindow window;
  TForm1 form(state, window);
  window.Bind(form);
  form.FormCreate();

  window.LMDButton1().Click();
  EXPECT_EQ(window.ClientSize().cy, 433);
  // Typing the archive's name lists it at once.
  window.LMDFile2().TextEdit().SetText(dir.Internal("cars.wad"));
  ASSERT_EQ(window.LMDFiles().Rows().size(), 2u);
  EXPECT_EQ(window.LMDFiles().Rows()[0], "a.tex;cars\\;3;0");
  window.LMDButton1().Click();
  EXPECT_EQ(window.ClientSize().cy, 174);
}

// A click given while an operation runs waits in the queue; it is dropped when
// the operation ends instead of running afterwards. One given after it counts.
TEST(MainWindowTest, AClickQueuedDuringAnOperationIsDropped) {
  test::TempDir dir;
  AppState state(test::ScratchRegistry(dir));
  MainWindow window;
  TForm1 form(state, window);
  window.Bind(form);
  window.ShowCentred();
  const HWND toggle = window.LMDButton1().Handle();
  const auto click = [toggle] {
    PostMessageA(toggle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(toggle, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  };
  const auto pump = [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  };
  form.RunOperation(click);
  pump();
  EXPECT_FALSE(form.FilesShown());
  click();
  pump();
  EXPECT_TRUE(form.FilesShown());
}

// While the main window's save dialog or a message box is open, the program's
// other windows, the folder dialogs included, are disabled (Windows disables
// only the owner), and enabled again once it closes.
struct ModalProbe {
  const char* title = "";
  HWND folderDialog = nullptr;
  int seenOpen = 0;
  bool folderDialogEnabled = true;
  WPARAM press = IDCANCEL;  // the button the probe presses
};
ModalProbe probe;

BOOL CALLBACK CloseProbedBox(HWND window, LPARAM) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || test::WindowText(window) != probe.title) return TRUE;
  ++probe.seenOpen;
  probe.folderDialogEnabled = IsWindowEnabled(probe.folderDialog) != FALSE;
  PostMessageA(window, WM_COMMAND, probe.press, 0);
  return FALSE;
}

void CALLBACK LookForTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), CloseProbedBox, 0);
  if (probe.seenOpen > 0) KillTimer(nullptr, timer);
}

TEST(MainWindowTest, AModalBoxOrDialogDisablesTheFolderDialogs) {
  test::TempDir dir;
  AppState state(test::ScratchRegistry(dir));
  MainWindow window;
  TForm1 form(state, window);
  window.Bind(form);
  window.SetWindowCaption("Skarvel 3.3");
  std::unique_ptr<FolderDialog> dialog = CreateSourceFolderDialog(form, window.Handle());
  window.ShowCentred();
  ShowFolderDialog(*dialog);
  const std::pair<const char*, std::function<void()>> opens[] = {
      {"Skarvel 3.3", [&] { window.ShowMessage("a message"); }},
      {"Please choose a folder", [&] { window.RunSaveDialog(dir.Native("out.wad"), ""); }},
  };
  for (const auto& [title, open] : opens) {
    SCOPED_TRACE(title);
    probe = ModalProbe{title, dialog->Window().Handle()};
    SetTimer(nullptr, 0, 100, LookForTheBox);
    open();
    EXPECT_EQ(probe.seenOpen, 1);
    EXPECT_FALSE(probe.folderDialogEnabled);
    EXPECT_TRUE(IsWindowEnabled(dialog->Window().Handle()));
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
  }
}

// The folder of the last extraction, proposed again, is confirmed with one
// press of the save dialog's button, though it exists: the dialog would open it.
TEST(MainWindowTest, TheSaveDialogConfirmsAProposedFolderThatExists) {
  test::TempDir dir;
  test::WriteNativeFile(dir.Native("out\\cars\\a.tex"), "a");
  MainWindow window;
  window.ShowCentred();
  probe = ModalProbe{"Please choose a folder", window.Handle()};
  probe.press = IDOK;
  SetTimer(nullptr, 0, 100, LookForTheBox);
  EXPECT_EQ(window.RunSaveDialog(dir.Native("out\\cars"), ""), std::optional<std::string>(dir.Native("out\\cars")));
  EXPECT_EQ(probe.seenOpen, 1);
}

}  // namespace
}  // namespace skarvel::ui::win32
