#include "host/GameFolder.h"

#include "host/FileSystem.h"
#include "host/WineRegistry.h"

namespace skarvel {

namespace {

// Without a key of its own, on Linux the game is found where its installer
// wrote the key: in the registry of a Wine prefix. No key there either leaves
// the flag as it was, as a key that cannot be opened does.
std::string GameFolderOfWinePrefixes(const Registry& registry, bool& gameFolderFound) {
  const std::vector<std::string> folders =
      GameFoldersInWinePrefixes(registry.winePrefixes(), GameKeyPath(), kGameFolderValue);
  if (folders.empty()) return {};
  for (const std::string& folder : folders) {
    if (HoldsGameProgram(folder)) {
      gameFolderFound = true;
      return folder;
    }
  }
  gameFolderFound = false;
  return {};
}

}  // namespace

bool HoldsGameProgram(const std::string& folder) { return FindFileIgnoringCase(folder, "GP4.exe").has_value(); }

std::string GameKeyPath() { return std::string(kGameKeyPath).substr(1); }

std::string GetPath(const Registry& registry, bool& gameFolderFound) {
  // Read access alone: a user without administrator rights may read the
  // machine's keys but not write them. In the 32-bit view, where the game and
  // its installer keep the key on 64-bit Windows.
  std::optional<RegistryKey> key = registry.OpenForReading(RegistryRoot::LocalMachine, GameKeyPath(), kGameKeyView);
  if (!key) return GameFolderOfWinePrefixes(registry, gameFolderFound);
  // An absent or empty "Directory" tests "\GP4.exe", the root of the drive.
  if (HoldsGameProgram(key->ReadString(kGameFolderValue, ""))) {
    gameFolderFound = true;
    return key->ReadString(kGameFolderValue, "");
  }
  gameFolderFound = false;
  return {};
}

void regpath(const Registry& registry, const std::string& folder) {
  std::optional<RegistryKey> key = registry.Open(RegistryRoot::LocalMachine, GameKeyPath(), true, kGameKeyView);
  if (key) key->WriteString(kGameFolderValue, folder);
}

void Button1Click(const Registry& registry, const std::string& chosenFolder,
                  const std::function<void()>& reinitialiseMainWindow) {
  if (!HoldsGameProgram(chosenFolder)) return;
  regpath(registry, chosenFolder);
  reinitialiseMainWindow();
}

}  // namespace skarvel
