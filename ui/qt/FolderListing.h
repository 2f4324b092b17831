#pragma once
// The subfolders of a folder on disk, as the folder tree shows them.
#include <QString>
#include <QStringList>
#include <string>

namespace skarvel::ui::qt {

// The names of the folders directly inside folder, in the order a file manager
// shows them (without regard to case, numbers by value). Hidden folders (a
// leading ".") are left out; links to folders count as folders. A folder that
// cannot be read has none.
QStringList ListSubfolders(const QString& folder);

// Whether ListSubfolders(folder) would give any name; stops at the first one,
// so that a folder full of files or folders costs a single read of the system.
bool HasSubfolders(const QString& folder);

// Puts names in the order of ListSubfolders.
void SortFolderNames(QStringList& names);

// Folder names as the system holds them (bytes) and as Qt shows them.
std::string NativeName(const QString& path);
QString FromNativeName(const std::string& name);

}  // namespace skarvel::ui::qt
