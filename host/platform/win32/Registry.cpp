// Registry keys through the ANSI registry functions of Windows: texts stay in
// the system code page, as everywhere else in the program.
#include "host/platform/win32/Windows.h"

#include "host/Registry.h"

namespace skarvel {

struct RegistryKey::Impl {
  explicit Impl(HKEY key) : handle(key) {}
  ~Impl() { RegCloseKey(handle); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  HKEY handle;
};

namespace {

HKEY RootHandle(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The 32-bit view is asked for explicitly, so that the 64-bit build (the test
// twin) finds the key where the players' 32-bit build does. Windows ignores the
// flag below HKEY_CURRENT_USER, whose keys are shared by both views.
REGSAM ViewFlag(RegistryView view) { return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : 0; }

}  // namespace

Registry Registry::Default() { return Registry(std::string()); }

Registry Registry::AtFolder(std::string) { return Registry(std::string()); }

std::optional<RegistryKey> Registry::OpenForReading(RegistryRoot root, const std::string& path,
                                                    RegistryView view) const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_READ | ViewFlag(view), &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return RegistryKey(std::make_shared<RegistryKey::Impl>(key));
}

std::optional<RegistryKey> Registry::Open(RegistryRoot root, const std::string& path, bool create,
                                          RegistryView view) const {
  HKEY key = nullptr;
  LONG result;
  if (create) {
    result = RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS | ViewFlag(view), nullptr, &key, nullptr);
  } else {
    result = RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_ALL_ACCESS | ViewFlag(view), &key);
  }
  if (result != ERROR_SUCCESS) return std::nullopt;
  return RegistryKey(std::make_shared<RegistryKey::Impl>(key));
}

bool Registry::DeleteKey(RegistryRoot root, const std::string& path) const {
  if (path.empty()) return false;
  return RegDeleteKeyA(RootHandle(root), path.c_str()) == ERROR_SUCCESS;
}

std::optional<RegistryValue> RegistryKey::Get(const std::string& name) const {
  // The value may grow between asking its size and reading it: ask again then.
  for (;;) {
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(impl_->handle, name.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return std::nullopt;
    RegistryValue value;
    value.data.resize(size);
    result = RegQueryValueExA(impl_->handle, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(value.data.data()), &size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return std::nullopt;
    value.type = type;
    value.data.resize(size);
    return value;
  }
}

bool RegistryKey::Set(const std::string& name, const RegistryValue& value) {
  return RegSetValueExA(impl_->handle, name.c_str(), 0, value.type,
                        reinterpret_cast<const BYTE*>(value.data.data()),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

}  // namespace skarvel
