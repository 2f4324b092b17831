#pragma once
// The game's installation folder, as the game's own key below HKEY_LOCAL_MACHINE
// records it. Nothing is cached: every call looks again.
#include <functional>
#include <string>

#include "host/Registry.h"

namespace skarvel {

// The leading "\" marks the path as starting at the root; the registry itself
// is handed the path without it (GameKeyPath()).
inline constexpr char kGameKeyPath[] = "\\Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir";
inline constexpr char kGameFolderValue[] = "Directory";
// The game and its installer are 32-bit programs: their key is in that view.
inline constexpr RegistryView kGameKeyView = RegistryView::Bits32;
std::string GameKeyPath();

// Whether folder holds the game's program "GP4.exe", its name found without
// regard to case as Windows finds it (a copy from Windows may say "gp4.exe").
bool HoldsGameProgram(const std::string& folder);

// The "Directory" value (internal path, exactly as stored) when a file "GP4.exe"
// lies in it, else the empty string. The key is opened for reading only, in the
// 32-bit view, and never created. gameFolderFound becomes true or false when the key could be
// opened, and stays as it was otherwise. A "Directory" that is not a string
// raises RegistryError.
std::string GetPath(const Registry& registry, bool& gameFolderFound);

// Writes folder as "Directory", creating the key and the keys above it; writes
// nothing and says nothing when the key cannot be opened. Raises RegistryError
// when the key opens but refuses the value.
void regpath(const Registry& registry, const std::string& folder);

// OK of the manual game-folder dialog: when chosenFolder (internal path) holds a
// file "GP4.exe", writes it and then runs reinitialiseMainWindow; otherwise does
// nothing. The dialog closes afterwards in every case (the caller's part).
void Button1Click(const Registry& registry, const std::string& chosenFolder,
                  const std::function<void()>& reinitialiseMainWindow);

}  // namespace skarvel
