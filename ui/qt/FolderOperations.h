#pragma once
// What the folder tree changes on disk: renaming a folder and making a new one.
// Each returns the empty text when done, else the reason for the user.
#include <QString>

namespace skarvel::ui::qt {

// Renames the folder at path to newName in the same parent folder. Never
// replaces anything: a name that is taken is refused.
QString RenameFolder(const QString& path, const QString& newName);

// Makes a folder named "New folder", or "New folder (2)", ... when that is taken,
// inside parent; its name goes to createdName.
QString MakeNewFolder(const QString& parent, QString& createdName);

}  // namespace skarvel::ui::qt
