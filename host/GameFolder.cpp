#include "host/GameFolder.h"

#include "host/FileSystem.h"

namespace skarvel {

std::string GameKeyPath() { return std::string(kGameKeyPath).substr(1); }

std::string GetPath(const Registry& registry, bool& gameFolderFound) {
  // Full access even for reading: a user who may only read the key gets no
  // game folder, exactly as the game's own tools behave.
  std::optional<RegistryKey> key = registry.Open(RegistryRoot::LocalMachine, GameKeyPath(), false);
  if (!key) return {};
  // An absent or empty "Directory" tests "\GP4.exe", the root of the drive.
  if (FileExists(key->ReadString(kGameFolderValue, "") + "\\GP4.exe")) {
    gameFolderFound = true;
    return key->ReadString(kGameFolderValue, "");
  }
  gameFolderFound = false;
  return {};
}

void regpath(const Registry& registry, const std::string& folder) {
  std::optional<RegistryKey> key = registry.Open(RegistryRoot::LocalMachine, GameKeyPath(), true);
  if (key) key->WriteString(kGameFolderValue, folder);
}

void Button1Click(const Registry& registry, const std::string& chosenFolder,
                  const std::function<void()>& reinitialiseMainWindow) {
  if (!FileExists(chosenFolder + "\\GP4.exe")) return;
  regpath(registry, chosenFolder);
  reinitialiseMainWindow();
}

}  // namespace skarvel
