#pragma once
// Registry keys below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE with typed values,
// as the Win32 registry has them. On Windows this is the registry itself; on
// POSIX each root is a regedit-export text file ("HKEY_CURRENT_USER.reg",
// "HKEY_LOCAL_MACHINE.reg") in a configuration folder, read again at every access
// and rewritten under a lock through a temporary file.
//
// Key paths, value names and texts are internal form (Windows-1252 bytes, "\"
// between key names). Key and value names are compared without regard to case.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skarvel {

enum class RegistryRoot { CurrentUser, LocalMachine };

// Which view of HKEY_LOCAL_MACHINE\Software a key is opened in on 64-bit
// Windows: the program's own (Native), or the one that 32-bit programs see
// (Bits32, "Wow6432Node"), where the game and its 32-bit installer keep their
// key. Keys below HKEY_CURRENT_USER, and a registry kept in files, have one view.
enum class RegistryView { Native, Bits32 };

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* RegistryRootName(RegistryRoot root);

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

  // A REG_SZ holding text and its closing NUL.
  static RegistryValue String(const std::string& text);
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// The text of a value read as a string: empty data reads as the empty string
// whatever the type; otherwise a REG_SZ or REG_EXPAND_SZ (never expanded) gives
// its bytes up to the first NUL, and any other type raises RegistryError
// "Type de données incorrect pour '<name>'".
std::string RegistryValueText(const std::string& name, const RegistryValue& value);

// The text of RegistryError for a write the registry refused.
std::string RegistryWriteRefusedText(const std::string& name);

class RegistryKey;

// Where the registry lives. On Windows it is the system's; on POSIX a folder
// ($XDG_CONFIG_HOME/skarvel by default) that tests point elsewhere.
class Registry {
 public:
  // The user's registry: on POSIX $XDG_CONFIG_HOME/skarvel, else ~/.config/skarvel.
  static Registry Default();
  // A registry kept in the given folder. The folder is a NATIVE path ("/" and
  // UTF-8 on POSIX), because it is configuration of this machine, not a path the
  // program's logic works on. Ignored on Windows.
  static Registry AtFolder(std::string nativeFolder);

  // Opens the key at path (no leading "\") below root with full access, creating
  // it and the keys above it when create is set. nullopt when it cannot be opened
  // with full access: missing and not created, or the registry refuses writing
  // (on POSIX: the root's file, or its folder, may not be written). A damaged
  // store raises RegistryError naming the file and the line.
  std::optional<RegistryKey> Open(RegistryRoot root, const std::string& path, bool create,
                                  RegistryView view = RegistryView::Native) const;
  // Opens the existing key at path for reading only, so that a user who may
  // read it but not write it (HKEY_LOCAL_MACHINE without administrator rights)
  // still reads it; the key's Set refuses. nullopt when it is missing or
  // cannot be read. A damaged store raises RegistryError as above.
  std::optional<RegistryKey> OpenForReading(RegistryRoot root, const std::string& path,
                                            RegistryView view = RegistryView::Native) const;

  // Removes a key that has no subkeys, with its values. False when it does not
  // exist, has subkeys, or the registry refuses.
  bool DeleteKey(RegistryRoot root, const std::string& path) const;

  // The native folder of the POSIX files (empty on Windows).
  const std::string& folder() const { return folder_; }

  // The Wine prefixes (native folders) whose machine registry the game folder
  // locator reads, read only, when this registry holds no game key: on POSIX
  // $WINEPREFIX and ~/.wine for the user's registry; none for a registry kept
  // in a given folder, nor on Windows. Tests set their own.
  const std::vector<std::string>& winePrefixes() const { return winePrefixes_; }
  void SetWinePrefixes(std::vector<std::string> prefixes) { winePrefixes_ = std::move(prefixes); }

 private:
  explicit Registry(std::string folder) : folder_(std::move(folder)) {}
  std::string folder_;
  std::vector<std::string> winePrefixes_;
};

// An open key; copies share it, and it is closed when the last copy goes. Value
// names are compared without regard to case.
class RegistryKey {
 public:
  struct Impl;  // each backend's own
  explicit RegistryKey(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

  // The value, or nullopt when the key (still) holds no value of that name.
  std::optional<RegistryValue> Get(const std::string& name) const;
  // Creates or overwrites the value. Returns false when the registry refuses it
  // (the key was removed meanwhile, the store may not be written, ...).
  bool Set(const std::string& name, const RegistryValue& value);

  // A string value as the program reads one: defaultText when the value does
  // not exist, else RegistryValueText.
  std::string ReadString(const std::string& name, const std::string& defaultText) const;
  // Stores text as a REG_SZ; raises RegistryError
  // "Echec à la définition des données pour '<name>'" when refused.
  void WriteString(const std::string& name, const std::string& text);

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace skarvel
