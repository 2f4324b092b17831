// The folder tree over the shell's namespace, compared with what the shell
// itself reports: the top item and its first level, subfolders read on the
// first expansion, the value of the selected item, and a rename in place that
// renames the folder on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <shlwapi.h>

#include "ShellTreeSupport.h"
#include "host/platform/win32/CodePage.h"
#include "support/TempDir.h"
#include "ui/win32/controls/Container.h"
#include "ui/win32/controls/Events.h"

namespace skarvel::test {
namespace {

using ui::win32::ComPtr;
using ui::win32::Form;

struct TreeInForm {
  Form form;
  ShellFolderTree tree;
  TreeInForm() {
    form.Create("Folders", 300, 400);
    tree.Create(form.Handle(), {0, 0, 300, 400}, false);
    form.ShowCentred();
  }
  ~TreeInForm() { form.Destroy(); }
};

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FolderTree, TopItemIsTheShellsDesktopExpandedOneLevelAndSelected) {
  TreeInForm host;
  auto& view = host.tree.View();
  HTREEITEM top = view.Root();
  ASSERT_NE(top, nullptr);
  IdList desktop = SpecialFolder(CSIDL_DESKTOP);
  EXPECT_TRUE(ILIsEmpty(host.tree.IdListOf(top)));
  EXPECT_EQ(view.Label(top), ShellName(desktop.get()));
  EXPECT_EQ(view.NextSibling(top), nullptr);
  EXPECT_EQ(view.Selected(), top);
  EXPECT_TRUE(view.IsExpanded(top));

  // The shell's folders, in the shell's order, each with the shell's name and icon.
  EXPECT_EQ(Sorted(ChildLabels(host.tree, top)), Sorted(ShellSubfolderNames(desktop.get())));
  ComPtr<IShellFolder> shell = ui::win32::DesktopFolder();
  HTREEITEM previous = nullptr;
  for (HTREEITEM child = view.FirstChild(top); child != nullptr; child = view.NextSibling(child)) {
    PCIDLIST_ABSOLUTE list = host.tree.IdListOf(child);
    int image = -1, selectedImage = -1;
    view.Images(child, image, selectedImage);
    EXPECT_EQ(image, ShellIcon(list)) << AnsiFromWideLossy(view.Label(child));
    EXPECT_EQ(view.FirstChild(child), nullptr) << "read before it was expanded";
    if (previous != nullptr) {
      EXPECT_LT(static_cast<short>(HRESULT_CODE(shell->CompareIDs(0, host.tree.IdListOf(previous), list))), 0);
    }
    previous = child;
  }

  // The top item has no line or button of its own; each level is indented by 19.
  const LONG style = GetWindowLongA(view.Handle(), GWL_STYLE);
  EXPECT_EQ(style & TVS_LINESATROOT, 0);
  EXPECT_NE(style & TVS_HASBUTTONS, 0);
  EXPECT_EQ(TreeView_GetIndent(view.Handle()), static_cast<UINT>(ui::win32::Scaled(19, ui::win32::DpiOf(view.Handle()))));
  EXPECT_EQ(TreeView_GetBkColor(view.Handle()), static_cast<COLORREF>(-1)) << "the window colour";
}

TEST(FolderTree, AFoldersSubfoldersAreReadWhenItIsFirstExpanded) {
  TempDir dir;
  for (const char* name : {"b", "a", "c", "c\\inner", "empty"}) MakeFolder(dir.Native(name));
  WriteNativeFile(dir.Native("file.txt"), "not a folder");
  const std::wstring outside = L"\u0100 outside the code page";
  ASSERT_TRUE(CreateDirectoryW((WideFromAnsi(dir.native()) + L"\\" + outside).c_str(), nullptr));
  TreeInForm host;
  auto& view = host.tree.View();
  HTREEITEM folder = ExpandTo(host.tree, dir.native());
  ASSERT_NE(folder, nullptr) << dir.native();
  EXPECT_EQ(view.FirstChild(folder), nullptr);
  EXPECT_TRUE(view.HasChildren(folder));

  view.Expand(folder);

  std::vector<std::wstring> labels = ChildLabels(host.tree, folder);
  EXPECT_NE(std::find(labels.begin(), labels.end(), outside), labels.end()) << "shown as the shell names it";
  labels.erase(std::remove(labels.begin(), labels.end(), outside), labels.end());
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"a", L"b", L"c", L"empty"}));
  HTREEITEM empty = ChildLabelled(host.tree, folder, L"empty");
  view.Expand(empty);
  EXPECT_FALSE(view.HasChildren(empty)) << "an empty folder keeps no expand button";
  HTREEITEM c = ChildLabelled(host.tree, folder, L"c");
  view.Expand(c);
  EXPECT_EQ(ChildLabels(host.tree, c), std::vector<std::wstring>{L"inner"});
}

struct ValueCase {
  const char* what;
  std::function<IdList(const TempDir&)> item;  // null: nothing selected
  std::function<std::string(const TempDir&)> expected;
};

std::string FromWide(const std::wstring& text) { return AnsiFromWide(text).value_or("(not in the code page)"); }

std::string Lower(std::string text) {
  CharLowerA(text.data());
  return text;
}

std::wstring OutsideCodePage(const TempDir& dir) { return WideFromAnsi(dir.native()) + L"\\\u0100 outside the code page"; }

TEST(FolderTree, ValueIsTheSelectedFoldersFullPathWithoutTrailingBackslash) {
  const std::vector<ValueCase> cases = {
      {"the Desktop", [](const TempDir&) { return SpecialFolder(CSIDL_DESKTOP); },
       [](const TempDir&) {
         wchar_t path[MAX_PATH];
         SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
         return FromWide(path);
       }},
      {"a folder on disk", [](const TempDir& dir) { return ParsedIdList(dir.Native("sub")); },
       [](const TempDir& dir) { return dir.Native("sub"); }},
      {"a drive", [](const TempDir&) { return ParsedIdList("C:\\"); }, [](const TempDir&) { return std::string("C:"); }},
      {"a virtual folder: the shell's parsing name", [](const TempDir&) { return SpecialFolder(CSIDL_DRIVES); },
       [](const TempDir&) { return std::string("::{20d04fe0-3aea-1069-a2d8-08002b30309d}"); }},
      {"a name the code page cannot hold: its short form, which it can",
       [](const TempDir& dir) { return ParsedIdList(OutsideCodePage(dir)); },
       [](const TempDir& dir) {
         wchar_t path[MAX_PATH];
         const DWORD length = GetShortPathNameW(OutsideCodePage(dir).c_str(), path, MAX_PATH);
         return length == 0 ? std::string("(no short form)") : FromWide(path);
       }},
      {"nothing selected", nullptr, [](const TempDir&) { return std::string(); }},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    MakeFolder(dir.Native("sub"));
    ASSERT_TRUE(CreateDirectoryW(OutsideCodePage(dir).c_str(), nullptr));
    TreeInForm host;
    auto& view = host.tree.View();
    if (c.item == nullptr) {
      view.Select(nullptr);
      EXPECT_EQ(host.tree.SelectedFolder(), c.expected(dir));
      continue;
    }
    IdList item = c.item(dir);
    ASSERT_NE(item, nullptr);
    HTREEITEM found = ExpandTo(host.tree, item.get());
    ASSERT_NE(found, nullptr);
    view.Select(found);
    // The shell writes a class identifier in either case.
    EXPECT_EQ(Lower(host.tree.SelectedFolder()), Lower(c.expected(dir)));
  }
}

struct RenameCase {
  const char* what;
  bool keepText;
  const char* folderAfter;  // below the temporary folder
};

TEST(FolderTree, EditingALabelRenamesTheFolderOnDisk) {
  const std::vector<RenameCase> cases = {
      {"the typed name kept", true, "renamed"},
      {"the edit dropped", false, "old"},
  };
  for (const RenameCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    MakeFolder(dir.Native("old"));
    MakeFolder(dir.Native("old\\inner"));
    TreeInForm host;
    auto& view = host.tree.View();
    HTREEITEM item = ExpandTo(host.tree, dir.Native("old"));
    ASSERT_NE(item, nullptr);
    view.Expand(item);
    view.Select(item);

    view.EditLabel(item);
    ASSERT_TRUE(view.IsEditingLabel());
    SetWindowTextA(view.LabelEditor(), "renamed");
    view.EndLabelEdit(c.keepText);

    EXPECT_FALSE(view.IsEditingLabel());
    const std::string after = dir.Native(c.folderAfter);
    EXPECT_TRUE(FolderExists(after));
    EXPECT_EQ(FolderExists(dir.Native("old")), !c.keepText);
    EXPECT_EQ(view.Label(item), WideFromAnsi(c.folderAfter));
    EXPECT_EQ(host.tree.SelectedFolder(), after);
    // The items below it name the folder by its new name too.
    view.Select(ChildLabelled(host.tree, item, L"inner"));
    EXPECT_EQ(host.tree.SelectedFolder(), after + "\\inner");
  }
}

// A name typed with a letter that the code page cannot hold reaches the
// program as typed and is refused, never renamed to a look-alike ("Amonza").
TEST(FolderTreeRename, ANameTheCodePageCannotHoldIsRefused) {
  TempDir dir;
  MakeFolder(dir.Native("old"));
  TreeInForm host;
  auto& view = host.tree.View();
  HTREEITEM item = ExpandTo(host.tree, dir.Native("old"));
  ASSERT_NE(item, nullptr);
  view.Select(item);
  std::string refusal;
  ui::win32::SetUnhandledErrorSink([&refusal](const std::exception& error) { refusal = error.what(); });

  view.EditLabel(item);
  ASSERT_TRUE(view.IsEditingLabel());
  SetWindowTextW(view.LabelEditor(), L"\u0100monza");
  view.EndLabelEdit(true);
  ui::win32::SetUnhandledErrorSink(nullptr);

  EXPECT_TRUE(FolderExists(dir.Native("old")));
  EXPECT_FALSE(FolderExists(dir.Native("Amonza")));
  EXPECT_EQ(view.Label(item), L"old");
  EXPECT_NE(refusal.find("code page"), std::string::npos) << refusal;
}


// Picks the shell's rename verb in the open popup menu with the keyboard, as a
// user would; a timer runs it inside the menu's own loop.
UINT renameCommand = 0;
void CALLBACK PickRename(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND popup = FindWindowA("#32768", nullptr);
  auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
  int downs = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if ((GetMenuState(menu, i, MF_BYPOSITION) & (MF_SEPARATOR | MF_DISABLED | MF_GRAYED)) == 0) ++downs;
    if (GetMenuItemID(menu, i) == renameCommand) break;
  }
  for (int i = 0; i < downs; ++i) PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(popup, WM_KEYDOWN, downs > 0 ? VK_RETURN : VK_ESCAPE, 0);
}

// The command of the rename verb in the shell's menu of an item; 0 when none.
UINT RenameCommandOf(PCIDLIST_ABSOLUTE item) {
  ComPtr<IShellFolder> parent;
  PCUITEMID_CHILD last = nullptr;
  ComPtr<IContextMenu> menu;
  if (FAILED(SHBindToParent(item, IID_PPV_ARGS(&parent), &last)) ||
      FAILED(parent->GetUIObjectOf(nullptr, 1, &last, IID_IContextMenu, nullptr, &menu))) {
    return 0;
  }
  HMENU popup = CreatePopupMenu();
  menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL | CMF_CANRENAME);
  UINT found = 0;
  for (int i = 0; i < GetMenuItemCount(popup) && found == 0; ++i) {
    const UINT command = GetMenuItemID(popup, i);
    char verb[64] = "";
    if (command != static_cast<UINT>(-1) && command >= 1 &&
        SUCCEEDED(menu->GetCommandString(command - 1, GCS_VERBA, nullptr, verb, sizeof verb)) &&
        lstrcmpiA(verb, "rename") == 0) {
      found = command;
    }
  }
  DestroyMenu(popup);
  return found;
}

TEST(FolderTree, ARightClickSelectsTheItemAndTheShellsRenameEditsItsLabel) {
  TempDir dir;
  MakeFolder(dir.Native("clicked"));
  TreeInForm host;
  auto& view = host.tree.View();
  HTREEITEM item = ExpandTo(host.tree, dir.Native("clicked"));
  ASSERT_NE(item, nullptr);
  renameCommand = RenameCommandOf(host.tree.IdListOf(item));
  ASSERT_NE(renameCommand, 0U) << "the shell offers no rename";
  RECT label{};
  ASSERT_TRUE(view.ItemRect(item, label));

  SetTimer(nullptr, 0, 300, PickRename);
  SendMessageA(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle()),
               MAKELPARAM(label.left + 4, label.top + 4));

  EXPECT_EQ(view.Selected(), item);
  ASSERT_TRUE(view.IsEditingLabel());
  char text[MAX_PATH] = "";
  GetWindowTextA(view.LabelEditor(), text, sizeof text);
  EXPECT_STREQ(text, "clicked");
  view.EndLabelEdit(false);
}

}  // namespace
}  // namespace skarvel::test
