#include "host/SettingsStore.h"

#include <cstdint>

#include "host/Encoding.h"

namespace skarvel {

SettingsStore SettingsStore::Open(const Registry& registry, const std::string& keyPath) {
  SettingsStore store;
  store.key_ = registry.Open(RegistryRoot::CurrentUser, keyPath, true);
  return store;
}

SettingsStore SettingsStore::InMemory() { return SettingsStore(); }

std::optional<RegistryValue> SettingsStore::Get(const std::string& name) const {
  if (key_) return key_->Get(name);
  const auto found = memory_.find(ToLowerCp1252(name));
  if (found == memory_.end()) return std::nullopt;
  return found->second;
}

std::string SettingsStore::ReadString(const std::string& name, const std::string& defaultText) const {
  const std::optional<RegistryValue> value = Get(name);
  return value ? RegistryValueText(name, *value) : defaultText;
}

void SettingsStore::WriteString(const std::string& name, const std::string& text) {
  if (key_) {
    key_->WriteString(name, text);
  } else {
    memory_[ToLowerCp1252(name)] = RegistryValue::String(text);
  }
}

bool SettingsStore::ReadBool(const std::string& name, bool defaultValue) const {
  const std::optional<RegistryValue> value = Get(name);
  if (!value) return defaultValue;
  const std::optional<long long> number = ParseStoredInteger(RegistryValueText(name, *value));
  return number ? *number != 0 : defaultValue;
}

void SettingsStore::WriteBool(const std::string& name, bool value) { WriteString(name, value ? "1" : "0"); }

std::optional<long long> ParseStoredInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;  // leading blanks are skipped, trailing ones are not
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  long long number = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    number = number * base + digit;
    if (number > 0xFFFFFFFFLL) return std::nullopt;
  }
  if (negative) number = -number;
  // Decimal must fit a signed 32-bit integer; hexadecimal may use all 32 bits.
  if (base == 10 && (number > INT32_MAX || number < INT32_MIN)) return std::nullopt;
  return number;
}

}  // namespace skarvel
