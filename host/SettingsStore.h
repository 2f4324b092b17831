#pragma once
// The remembered paths of the user: named string values of one registry key
// below HKEY_CURRENT_USER. Booleans are stored as "1" and "0".
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/Registry.h"

namespace skarvel {

inline constexpr char kMainSettingsKey[] = "Software\\Vintrel's Tools\\Skarvel";
inline constexpr char kPackageSettingsKey[] = "Software\\Vintrel's Skarvel";

class SettingsStore {
 public:
  // A store on key path below HKEY_CURRENT_USER, the key created when missing.
  // When the key can be neither opened nor created the store keeps its values in
  // memory for this run and says nothing.
  static SettingsStore Open(const Registry& registry, const std::string& keyPath);
  // A store that keeps its values in memory only (the command line uses it).
  static SettingsStore InMemory();

  std::string ReadString(const std::string& name, const std::string& defaultText) const;
  void WriteString(const std::string& name, const std::string& text);
  bool ReadBool(const std::string& name, bool defaultValue) const;
  void WriteBool(const std::string& name, bool value);

  bool IsInMemory() const { return !key_.has_value(); }

 private:
  std::optional<RegistryKey> key_;
  std::map<std::string, RegistryValue> memory_;  // keyed by lower-cased name
};

}  // namespace skarvel
