#pragma once
// The folders of the shell's namespace as the folder tree reads them: item
// identifier lists owned by their holder, the shell folder objects, a folder's
// subfolders in the shell's order, names, attributes, icons, and the path that
// stands for a folder in the program's code page.
#include <memory>
#include <string>
#include <vector>

#include <shlobj.h>
#include <wrl/client.h>

#include "ui/win32/controls/WinApi.h"

namespace skarvel::ui::win32 {

using Microsoft::WRL::ComPtr;

struct IdListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
// An item identifier list allocated by the shell, freed with it.
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

IdList CloneIdList(PCIDLIST_ABSOLUTE list);
IdList CombineIdLists(PCIDLIST_ABSOLUTE parent, PCUIDLIST_RELATIVE child);
// The Desktop: the empty list, the namespace's root.
IdList DesktopIdList();

ComPtr<IShellFolder> DesktopFolder();
// The folder object of an item (the Desktop's for the empty list); null when
// the item is no folder the shell can open.
ComPtr<IShellFolder> FolderOf(PCIDLIST_ABSOLUTE item);
// The folder that holds an item, and the item's last identifier in it (which
// points into item). Null when the shell refuses.
ComPtr<IShellFolder> ParentOf(PCIDLIST_ABSOLUTE item, PCUITEMID_CHILD& last);

// The subfolders of a folder, as relative lists in the shell's order; no files,
// and no file that the shell shows as a folder (an archive).
std::vector<IdList> ChildFolders(IShellFolder& folder, HWND owner);
// How the shell orders a and b in folder: below 0 when a comes first, 0 when
// they are the same item.
int CompareInFolder(IShellFolder& folder, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b);

std::wstring NameOf(IShellFolder& parent, PCUITEMID_CHILD child, SHGDNF flags);
// The attributes of mask that the item has.
SFGAOF AttributesOf(IShellFolder& parent, PCUITEMID_CHILD child, SFGAOF mask);

struct ShellIcons {
  int normal = 0;
  int open = 0;  // when selected
};
ShellIcons IconsOf(PCIDLIST_ABSOLUTE item);
// The system's list of small icons that IconsOf indexes; the system owns it.
HIMAGELIST SystemSmallIcons();

// The item's folder on disk; empty for a virtual folder of the shell.
std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item);
// The path that stands for a folder: its full path on disk, else the name the
// shell parses it by; without a trailing "\" and in the code page. A name the
// code page cannot hold gives the folder's short form, which is ASCII; the
// empty text when there is none, rather than a name that means another folder.
std::string FolderValue(PCIDLIST_ABSOLUTE item);

}  // namespace skarvel::ui::win32
