// Registry keys kept in regedit-export files, one per root, in a folder of the
// user's configuration.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "host/Registry.h"
#include "host/platform/posix/RegistryFile.h"

namespace skarvel {

struct RegistryKey::Impl {
  regfile::RootFile file;
  std::string path;
  bool readOnly = false;
};

Registry Registry::Default() {
  std::string home;
  if (const char* variable = std::getenv("HOME"); variable != nullptr && variable[0] != '\0') {
    home = variable;
  } else if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    home = entry->pw_dir;
  }
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  Registry registry((config != nullptr && config[0] == '/') ? std::string(config) + "/skarvel"
                                                             : home + "/.config/skarvel");
  // Where Wine keeps its prefixes, as the folder dialogs offer them.
  std::vector<std::string> prefixes;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && prefix[0] == '/') prefixes.push_back(prefix);
  if (!home.empty()) prefixes.push_back(home + "/.wine");
  registry.SetWinePrefixes(std::move(prefixes));
  return registry;
}

Registry Registry::AtFolder(std::string nativeFolder) { return Registry(std::move(nativeFolder)); }

// One file holds a root: there is no other view to choose.
std::optional<RegistryKey> Registry::OpenForReading(RegistryRoot root, const std::string& path, RegistryView) const {
  if (!regfile::IsStorableKeyPath(path)) return std::nullopt;
  regfile::RootFile file(folder_, root);
  if (!file.Read().Exists(path)) return std::nullopt;
  return RegistryKey(std::make_shared<RegistryKey::Impl>(RegistryKey::Impl{file, path, true}));
}

std::optional<RegistryKey> Registry::Open(RegistryRoot root, const std::string& path, bool create,
                                          RegistryView) const {
  if (!regfile::IsStorableKeyPath(path)) return std::nullopt;
  regfile::RootFile file(folder_, root);
  // Full access or nothing: a store this process may not write is refused, as
  // the registry refuses a key it may only read.
  if (file.MayWrite() && file.Read().Exists(path)) {
    return RegistryKey(std::make_shared<RegistryKey::Impl>(RegistryKey::Impl{file, path}));
  }
  if (!create) return std::nullopt;
  const bool created = file.Update([&](regfile::Contents& contents) {
    if (contents.Exists(path)) return false;  // another run made it meanwhile
    contents.Create(path);
    return true;
  });
  if (!created) return std::nullopt;
  return RegistryKey(std::make_shared<RegistryKey::Impl>(RegistryKey::Impl{file, path}));
}

bool Registry::DeleteKey(RegistryRoot root, const std::string& path) const {
  if (path.empty() || !regfile::IsStorableKeyPath(path)) return false;
  bool removed = false;
  const bool written = regfile::RootFile(folder_, root).Update([&](regfile::Contents& contents) {
    if (contents.Find(path) == nullptr || contents.HasSubkeys(path)) return false;
    contents.Remove(path);
    removed = true;
    return true;
  });
  return written && removed;
}

std::optional<RegistryValue> RegistryKey::Get(const std::string& name) const {
  const regfile::Contents contents = impl_->file.Read();
  const regfile::Key* key = contents.Find(impl_->path);
  if (key == nullptr) return std::nullopt;
  const regfile::NamedValue* value = key->Find(name);
  if (value == nullptr) return std::nullopt;
  return value->value;
}

bool RegistryKey::Set(const std::string& name, const RegistryValue& value) {
  if (impl_->readOnly || !regfile::IsStorableValueName(name)) return false;
  bool keyGone = false;
  const bool written = impl_->file.Update([&](regfile::Contents& contents) {
    regfile::Key* key = contents.Find(impl_->path);
    if (key == nullptr) {
      // A key that only stands above others in a hand-made file still exists;
      // one that was removed since it was opened takes no values, as on Windows.
      if (!contents.Exists(impl_->path)) {
        keyGone = true;
        return false;
      }
      key = &contents.Create(impl_->path);
    }
    key->Set(name, value);
    return true;
  });
  return written && !keyGone;
}

}  // namespace skarvel
