#pragma once
// The filters of the file dialogs, written as the program writes them:
// "description|pattern;pattern|description|pattern...", turned into Qt's name
// filters "description (pattern pattern)".
#include <QString>
#include <QStringList>
#include <string_view>

namespace skarvel::ui::qt {

// One name filter per description and pattern pair; a description without its
// patterns is dropped. "*.*" matches every file, also one without a dot, as it
// does on Windows.
QStringList NameFilters(std::string_view filter);

// "*.wad" -> "wad": the suffix a dialog appends to a name typed without one.
QString DefaultSuffix(std::string_view defaultExtension);

}  // namespace skarvel::ui::qt
