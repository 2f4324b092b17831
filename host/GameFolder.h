#pragma once
// The game's installation folder, as the game's own key below HKEY_LOCAL_MACHINE
// records it. Nothing is cached: every call looks again.
#include <functional>
#include <string>

#include "host/Registry.h"

namespace skarvel {

inline constexpr char kGameKeyPath[] = "\\Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir";

// The "Directory" value when "GP4.exe" lies in it, else the empty string.
// gameFolderFound becomes true or false when the key could be opened with full
// access, and stays as it was otherwise.
std::string GetPath(const Registry& registry, bool& gameFolderFound);

// Writes folder as "Directory", creating the key; writes nothing when the key
// cannot be opened. Raises RegistryError when the key opens but refuses the value.
void regpath(const Registry& registry, const std::string& folder);

// OK of the manual game-folder dialog: when chosenFolder holds "GP4.exe", writes
// it and runs reinitialiseMainWindow; otherwise does nothing.
void Button1Click(const Registry& registry, const std::string& chosenFolder,
                  const std::function<void()>& reinitialiseMainWindow);

}  // namespace skarvel
