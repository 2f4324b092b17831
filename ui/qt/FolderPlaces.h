#pragma once
// The folders that the folder tree offers below its top item on Linux, as a
// file manager's side panel offers them.
#include <QByteArray>
#include <QList>
#include <QString>

namespace skarvel::ui::qt {

struct Place {
  enum class Kind { Home, Root, Volume, WineDrive };
  Kind kind;
  QString label;
  QString path;  // absolute, without a trailing "/" (the root stays "/")
};

// The user's desktop folder (the XDG desktop folder that user-dirs.dirs names);
// the home folder when there is no such folder on disk.
QString DesktopFolder();

// In this order, each folder once and only when it exists: the home folder, the
// root of the file system, the mounted volumes a user works with, and the C:
// drive of every Wine prefix ($WINEPREFIX, ~/.wine), where the game lives on Linux.
QList<Place> FolderPlaces();

// Whether a mounted file system is one of the user's volumes: not one of the
// kernel's or the system's own (proc, tmpfs, cgroups, /boot, /run, ...).
bool IsUserVolume(const QString& rootPath, const QByteArray& fileSystemType);

}  // namespace skarvel::ui::qt
