#include "ui/qt/FolderPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>

namespace skarvel::ui::qt {
namespace {

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// path itself or anything below it.
bool IsAtOrBelow(const QString& path, const QString& folder) {
  return path == folder || path.startsWith(folder + '/');
}

// "~/.wine" for a prefix in the home folder, the full path otherwise.
QString ShortPrefixName(const QString& prefix) {
  const QString home = QDir::homePath();
  return IsAtOrBelow(prefix, home) && prefix != home ? "~" + prefix.mid(home.size()) : prefix;
}

QStringList WinePrefixes() {
  QStringList prefixes;
  const QString fromEnvironment = qEnvironmentVariable("WINEPREFIX");
  if (!fromEnvironment.isEmpty()) prefixes.append(QDir::cleanPath(fromEnvironment));
  prefixes.append(QDir::homePath() + "/.wine");
  return prefixes;
}

}  // namespace

QString DesktopFolder() {
  // Qt reads $XDG_CONFIG_HOME/user-dirs.dirs as xdg-user-dir does, with
  // ~/Desktop when the file names no desktop.
  const QString desktop = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
  return IsFolder(desktop) ? desktop : QDir::homePath();
}

bool IsUserVolume(const QString& rootPath, const QByteArray& fileSystemType) {
  static const QSet<QByteArray> kSystemTypes = {
      "autofs",   "binfmt_misc", "bpf",       "cgroup",     "cgroup2",      "configfs",   "debugfs",
      "devpts",   "devtmpfs",    "efivarfs",  "fusectl",    "hugetlbfs",    "mqueue",     "nsfs",
      "proc",     "pstore",      "ramfs",     "rpc_pipefs", "securityfs",   "selinuxfs",  "squashfs",
      "sysfs",    "tmpfs",       "tracefs",   "nfsd",       "fuse.portal",  "fuse.gvfsd-fuse",
      "fuse.snapfuse"};
  if (kSystemTypes.contains(fileSystemType)) return false;
  if (rootPath == "/") return false;
  if (rootPath.startsWith("/run/media/") || rootPath.startsWith("/media/")) return true;
  static const QStringList kSystemFolders = {"/proc", "/sys", "/dev", "/run", "/boot", "/snap",
                                             "/var",  "/tmp", "/etc", "/usr", "/lib",  "/opt"};
  for (const QString& folder : kSystemFolders) {
    if (IsAtOrBelow(rootPath, folder)) return false;
  }
  return true;
}

QList<Place> FolderPlaces() {
  QList<Place> places;
  QSet<QString> seen;
  const auto add = [&places, &seen](Place::Kind kind, const QString& label, const QString& path) {
    if (seen.contains(path) || !IsFolder(path)) return;
    seen.insert(path);
    places.append({kind, label, path});
  };
  add(Place::Kind::Home, "Home", QDir::cleanPath(QDir::homePath()));
  add(Place::Kind::Root, "File System", "/");
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = QDir::cleanPath(volume.rootPath());
    if (!volume.isValid() || !volume.isReady() || !IsUserVolume(root, volume.fileSystemType())) continue;
    const QString name = volume.displayName();
    add(Place::Kind::Volume, name.isEmpty() || name == root ? QFileInfo(root).fileName() : name, root);
  }
  for (const QString& prefix : WinePrefixes()) {
    add(Place::Kind::WineDrive, "drive_c (" + ShortPrefixName(prefix) + ")", prefix + "/drive_c");
  }
  return places;
}

}  // namespace skarvel::ui::qt
