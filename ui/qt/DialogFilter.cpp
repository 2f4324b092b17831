#include "ui/qt/DialogFilter.h"

#include "ui/FileFilter.h"
#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {

QStringList NameFilters(std::string_view filter) {
  QStringList filters;
  for (const FilterEntry& entry : ParseFilter(filter)) {
    QStringList patterns;
    // "*.*" matches every file, also one without a dot, as it does on Windows.
    for (const std::string& pattern : entry.patterns) patterns << (pattern == "*.*" ? QStringLiteral("*") : DisplayText(pattern));
    filters << DisplayText(entry.description) + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

QString DefaultSuffix(std::string_view defaultExtension) { return DisplayText(ui::DefaultSuffix(defaultExtension)); }

}  // namespace skarvel::ui::qt
