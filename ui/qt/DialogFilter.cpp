#include "ui/qt/DialogFilter.h"

#include "ui/qt/QtText.h"

namespace skarvel::ui::qt {
namespace {

QString QtPattern(const QString& pattern) {
  const QString trimmed = pattern.trimmed();
  return trimmed == "*.*" ? QStringLiteral("*") : trimmed;
}

}  // namespace

QStringList NameFilters(std::string_view filter) {
  const QStringList parts = DisplayText(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) patterns << QtPattern(pattern);
    if (patterns.isEmpty()) continue;
    filters << parts[i].trimmed() + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

QString DefaultSuffix(std::string_view defaultExtension) {
  QString suffix = DisplayText(defaultExtension);
  if (suffix.startsWith('*')) suffix.remove(0, 1);
  if (suffix.startsWith('.')) suffix.remove(0, 1);
  return suffix.contains('*') ? QString() : suffix;
}

}  // namespace skarvel::ui::qt
