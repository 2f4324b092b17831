#include "ui/qt/FolderListing.h"

#include <QCollator>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <filesystem>
#include <numeric>
#include <vector>

namespace skarvel::ui::qt {
namespace {

namespace fs = std::filesystem;

// The entry's type comes from the directory read itself where the file system
// records it, so only links and file systems without types cost a stat.
bool IsShownFolder(const fs::directory_entry& entry) {
  const std::string name = entry.path().filename().native();
  if (name.empty() || name.front() == '.') return false;
  std::error_code error;
  return entry.is_directory(error);
}

// Calls visit for each shown subfolder until it returns false.
template <typename Visit>
void ForEachSubfolder(const QString& folder, Visit visit) {
  std::error_code error;
  fs::directory_iterator it(NativeName(folder), fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    if (IsShownFolder(*it) && !visit(*it)) return;
  }
}

}  // namespace

std::string NativeName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromNativeName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

QStringList ListSubfolders(const QString& folder) {
  QStringList names;
  ForEachSubfolder(folder, [&names](const fs::directory_entry& entry) {
    names.append(FromNativeName(entry.path().filename().native()));
    return true;
  });
  SortFolderNames(names);
  return names;
}

bool HasSubfolders(const QString& folder) {
  bool found = false;
  ForEachSubfolder(folder, [&found](const fs::directory_entry&) {
    found = true;
    return false;
  });
  return found;
}

void SortFolderNames(QStringList& names) {
  // The C locale collates by code point, where "folder 10" comes before
  // "folder 9"; English rules keep numbers in order there too.
  const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  // One key per name: comparing keys is much cheaper than collating the names
  // again for each of the n log n comparisons of a large folder.
  std::vector<QCollatorSortKey> keys;
  keys.reserve(names.size());
  for (const QString& name : names) keys.push_back(collator.sortKey(name));
  std::vector<qsizetype> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
  QStringList sorted;
  sorted.reserve(names.size());
  for (qsizetype index : order) sorted.append(names[index]);
  names = std::move(sorted);
}

}  // namespace skarvel::ui::qt
