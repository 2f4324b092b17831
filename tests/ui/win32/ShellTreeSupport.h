#pragma once
// What the folder tree's and the dialogs' tests share: the message pump as the
// program's loop runs it, finding a folder's item in a tree, and the shell's
// own answers to compare the tree with.
#include <functional>
#include <string>
#include <vector>

#include "ui/win32/shell/ShellFolderTree.h"

namespace skarvel::test {

using ui::win32::IdList;
using ui::win32::ShellFolderTree;

// Handles the messages waiting, the keys through the forms first.
void PumpMessages();
// Pumps until done() holds or timeoutMs pass; whether it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Pumps for a while, for what must not happen.
void PumpFor(int milliseconds);

// The shell's identifier list of a path in the code page.
IdList ParsedIdList(const std::string& path);
IdList ParsedIdList(std::wstring path);
IdList SpecialFolder(int csidl);
// Expands the items above it and returns the item of the folder (not itself
// expanded); null when the tree does not reach it.
HTREEITEM ExpandTo(ShellFolderTree& tree, PCIDLIST_ABSOLUTE folder);
HTREEITEM ExpandTo(ShellFolderTree& tree, const std::string& path);

std::vector<std::wstring> ChildLabels(const ShellFolderTree& tree, HTREEITEM item);
HTREEITEM ChildLabelled(const ShellFolderTree& tree, HTREEITEM item, const std::wstring& label);

// The shell's answers, asked directly: the in-folder name and the small icon of
// an item, and the names of a folder's subfolders (in no order).
std::wstring ShellName(PCIDLIST_ABSOLUTE item);
int ShellIcon(PCIDLIST_ABSOLUTE item);
std::vector<std::wstring> ShellSubfolderNames(PCIDLIST_ABSOLUTE folder);

// Sends a key to the window that has the focus as the keyboard would, through
// the program's loop.
void PressKey(UINT key);

}  // namespace skarvel::test
