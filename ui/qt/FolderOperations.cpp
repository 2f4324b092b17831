#include "ui/qt/FolderOperations.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "ui/qt/FolderListing.h"

#if defined(__linux__)
#include <fcntl.h>
#endif

namespace skarvel::ui::qt {
namespace {

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString JoinPath(const QString& folder, const QString& name) {
  return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// rename() would silently replace an empty folder of the new name; the kernel's
// no-replace rename refuses atomically. File systems without it get a check first.
int RenameWithoutReplacing(const std::string& from, const std::string& to) {
#if defined(__linux__)
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  std::error_code error;
  if (std::filesystem::symlink_status(to, error).type() != std::filesystem::file_type::not_found) return EEXIST;
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

QString RenameFolder(const QString& path, const QString& newName) {
  const QString oldName = QFileInfo(path).fileName();
  const auto refusal = [&](const QString& reason) {
    return QString("Cannot rename \"%1\" to \"%2\": %3.").arg(oldName, newName, reason);
  };
  if (newName.isEmpty() || newName == "." || newName == "..") return refusal("not a folder name");
  if (newName.contains('/')) return refusal("a folder name cannot contain \"/\"");
  const QString parent = QFileInfo(path).path();
  const int error = RenameWithoutReplacing(NativeName(path), NativeName(JoinPath(parent, newName)));
  return error == 0 ? QString() : refusal(Reason(error));
}

QString MakeNewFolder(const QString& parent, QString& createdName) {
  for (int number = 1; number < 1000; ++number) {
    const QString name = number == 1 ? QString("New folder") : QString("New folder (%1)").arg(number);
    std::error_code error;
    if (std::filesystem::create_directory(NativeName(JoinPath(parent, name)), error)) {
      createdName = name;
      return {};
    }
    // An existing folder of that name comes back without an error, a file as
    // "exists": both mean the next name.
    if (error && error != std::errc::file_exists) return QString("Cannot make a new folder in \"%1\": %2.").arg(parent, QString::fromStdString(error.message()));
  }
  return QString("Cannot make a new folder in \"%1\": every name is taken.").arg(parent);
}

}  // namespace skarvel::ui::qt
