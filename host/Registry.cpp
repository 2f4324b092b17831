#include "host/Registry.h"

#include "host/Errors.h"

namespace skarvel {

const char* RegistryRootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

RegistryValue RegistryValue::String(const std::string& text) {
  RegistryValue value;
  value.type = kRegSz;
  value.data = text;
  value.data.push_back('\0');
  return value;
}

std::string RegistryValueText(const std::string& name, const RegistryValue& value) {
  // An empty value answers before its type is looked at, as the registry
  // reports a size of zero without data to check.
  if (value.data.empty()) return {};
  if (value.type != kRegSz && value.type != kRegExpandSz) {
    throw RegistryError(std::string(runtime_text::kWrongType) + " '" + name + "'");
  }
  return value.data.substr(0, value.data.find('\0'));
}

std::string RegistryWriteRefusedText(const std::string& name) {
  return std::string(runtime_text::kWriteFailed) + " '" + name + "'";
}

std::string RegistryKey::ReadString(const std::string& name, const std::string& defaultText) const {
  std::optional<RegistryValue> value = Get(name);
  if (!value) return defaultText;
  return RegistryValueText(name, *value);
}

void RegistryKey::WriteString(const std::string& name, const std::string& text) {
  if (!Set(name, RegistryValue::String(text))) throw RegistryError(RegistryWriteRefusedText(name));
}

}  // namespace skarvel
