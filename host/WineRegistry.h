#pragma once
// The machine registry of a Wine prefix, read only. On Linux the game is
// installed in a Wine prefix, and its installer wrote the game's key into that
// prefix's "system.reg", not into this program's own registry files.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel {

// The string value name of the key at keyPath (below HKEY_LOCAL_MACHINE, no
// leading "\"; compared without regard to case) in the text of a prefix's
// "system.reg", as UTF-8; nothing when the key or the value is not there, or
// the value is no string. The text is Wine's own format: "[key] time" sections,
// "name"="text" and name=str(2):"text" values with C, octal and "\x" escapes.
std::optional<std::string> WineRegistryString(std::string_view systemReg, std::string_view keyPath,
                                              std::string_view name);

// A Windows path ("C:\...", UTF-8) as the Linux folder it names in the prefix
// (native form): its drive through the prefix's "dosdevices", each further name
// found without regard to case, as Wine finds it. Nothing for a path without a
// drive letter.
std::optional<std::string> WinePathInPrefix(const std::string& nativePrefix, std::string_view windowsPath);

// The folders (internal form) that the game's key, at keyPath, names in the
// machine registries of the prefixes, in their order, each looked up first in
// the 32-bit view ("Software\Wow6432Node\...", where a 32-bit installer writes on
// a 64-bit prefix) and then at keyPath itself. Nothing in a prefix is written.
std::vector<std::string> GameFoldersInWinePrefixes(const std::vector<std::string>& nativePrefixes,
                                                   const std::string& keyPath, const std::string& name);

}  // namespace skarvel
