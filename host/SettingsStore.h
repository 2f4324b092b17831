#pragma once
// The remembered paths of the user: named string values of one registry key
// below HKEY_CURRENT_USER. Booleans are stored as "1" and "0". Nothing is
// cached: every read asks the registry and every write goes to it at once.
#include <map>
#include <optional>
#include <string>

#include "host/Registry.h"

namespace skarvel {

inline constexpr char kMainSettingsKey[] = "Software\\Vintrel's Tools\\Skarvel";
inline constexpr char kPackageSettingsKey[] = "Software\\Vintrel's Skarvel";

class SettingsStore {
 public:
  // A store on key path below HKEY_CURRENT_USER, the key created when missing.
  // When the key can be neither opened nor created (the settings folder may not
  // be written, ...) the store keeps its values in memory for this run and says
  // nothing. A damaged registry file raises RegistryError: it is reported, not
  // quietly replaced by an empty store.
  static SettingsStore Open(const Registry& registry, const std::string& keyPath);
  // A store that keeps its values in memory only.
  static SettingsStore InMemory();

  // defaultText when the value does not exist; the text up to the first NUL of
  // a string or expandable string (never expanded), the empty string for empty
  // data; RegistryError "Type de données incorrect pour '<name>'" for another type.
  std::string ReadString(const std::string& name, const std::string& defaultText) const;
  // Stores text as a registry string; RegistryError
  // "Echec à la définition des données pour '<name>'" when the registry refuses.
  void WriteString(const std::string& name, const std::string& text);
  // True for a non-zero integer, false for zero; defaultValue when the value
  // does not exist or its text is not an integer. The type rule of ReadString holds.
  bool ReadBool(const std::string& name, bool defaultValue) const;
  void WriteBool(const std::string& name, bool value);

  bool IsInMemory() const { return !key_.has_value(); }

 private:
  std::optional<RegistryValue> Get(const std::string& name) const;

  std::optional<RegistryKey> key_;
  std::map<std::string, RegistryValue> memory_;  // keyed by lower-cased name
};

// The integer a stored text stands for, read as the runtime's string-to-integer
// conversion does: optional sign, decimal digits or "$"/"0x" hexadecimal, within
// 32 bits. nullopt for anything else, the empty text included.
std::optional<long long> ParseStoredInteger(const std::string& text);

}  // namespace skarvel
