#pragma once
// Registry keys below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE with typed values,
// as the Win32 registry has them. On Windows this is the registry itself; on
// POSIX each root is a regedit-export text file in a configuration folder.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace skarvel {

enum class RegistryRoot { CurrentUser, LocalMachine };

// The Win32 value types the program meets.
enum RegistryType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
};

// A value as the registry holds it: its type and its raw bytes (for a string the
// text followed by its closing NUL).
struct RegistryValue {
  std::uint32_t type = kRegNone;
  std::string data;
};

class RegistryKey;

// Where the registry lives. On Windows it is the system's; on POSIX a folder
// ($XDG_CONFIG_HOME/skarvel by default) that tests point elsewhere.
class Registry {
 public:
  // The user's registry: on POSIX $XDG_CONFIG_HOME/skarvel, else ~/.config/skarvel.
  static Registry Default();
  // A registry kept in the given folder (POSIX); ignored on Windows.
  static Registry AtFolder(std::string folder);

  // Opens the key at path (no leading "\") below root with full access, creating
  // it and the keys above it when create is set. nullopt when it cannot be opened
  // (missing and not created, or access refused). A damaged store raises
  // RegistryError naming the file and the line.
  std::optional<RegistryKey> Open(RegistryRoot root, const std::string& path, bool create) const;

  const std::string& folder() const { return folder_; }

 private:
  explicit Registry(std::string folder) : folder_(std::move(folder)) {}
  std::string folder_;
};

// An open key. Value names are compared without regard to case.
class RegistryKey {
 public:
  // The value, or nullopt when the key holds no value of that name.
  std::optional<RegistryValue> Get(const std::string& name) const;
  // Creates or overwrites the value. Returns false when the registry refuses it.
  bool Set(const std::string& name, const RegistryValue& value);

 private:
  friend class Registry;
  RegistryKey(std::string folder, RegistryRoot root, std::string path)
      : folder_(std::move(folder)), root_(root), path_(std::move(path)) {}
  std::string folder_;
  RegistryRoot root_;
  std::string path_;
};

}  // namespace skarvel
