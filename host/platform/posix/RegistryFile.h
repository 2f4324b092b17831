#pragma once
// The POSIX registry: one regedit-export text file per root. This header is the
// backend's own (and its tests'); the rest of the program uses host/Registry.h.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Registry.h"

namespace skarvel::regfile {

struct NamedValue {
  std::string name;  // "" is the key's default value, written "@"
  RegistryValue value;
};

struct Key {
  std::string path;  // below the root, no leading "\"; "" is the root itself
  std::vector<NamedValue> values;

  const NamedValue* Find(std::string_view name) const;
  // Creates or overwrites; a value keeps the spelling of its first name.
  void Set(const std::string& name, const RegistryValue& value);
};

// Everything one root's file holds, in the file's order.
struct Contents {
  std::vector<Key> keys;

  const Key* Find(std::string_view path) const;
  Key* Find(std::string_view path);
  // True when the key has a section, or lies above one (a hand-written file may
  // hold only the deepest key of a path).
  bool Exists(std::string_view path) const;
  bool HasSubkeys(std::string_view path) const;
  // The key's section, made (with sections for the keys above it) when missing.
  Key& Create(std::string_view path);
  void Remove(std::string_view path);
};

// Whether a key path or value name can stand in the file: no control characters,
// and for key paths no empty key name.
bool IsStorableKeyPath(std::string_view path);
bool IsStorableValueName(std::string_view name);

// Reads the text of a file ("REGEDIT4" export). A line that is valid UTF-8 is
// taken as UTF-8 (files this program writes, or a Linux editor saves), any
// other line as Windows-1252 bytes (an export made by Windows). Raises
// RegistryError "<fileForMessages>, line N: <what is wrong>" for a damaged file.
Contents Parse(std::string_view text, const char* rootName, const std::string& fileForMessages);

// The file's text: ASCII for names and strings that are plain, UTF-8 for the
// other characters of names and strings, hex lists for every value whose bytes
// would not come back the same from the quoted form.
std::string Format(const Contents& contents, const char* rootName);

// One root's file on disk, below a native folder.
class RootFile {
 public:
  RootFile(std::string folder, RegistryRoot root);

  const std::string& path() const { return path_; }
  RegistryRoot root() const { return root_; }

  // The file's contents; an absent file holds nothing. Raises RegistryError for
  // a damaged or unreadable file.
  Contents Read() const;
  // True when this process may write the file (and the folder that holds it).
  // The write bits are checked by hand, because root ignores them.
  bool MayWrite() const;

  // Under the lock: reads the file, lets change edit the contents, and when it
  // returns true writes the result to a temporary file beside the target, flushes
  // it and renames it over the target. True when change asked for nothing or the
  // write succeeded; false when the file may not be written or any step of the
  // write fails, and the target is then as it was. A damaged file raises
  // RegistryError and is left alone. beforeRename runs just before the rename;
  // tests use it to stand for a crash at the worst moment.
  bool Update(const std::function<bool(Contents&)>& change,
              const std::function<void()>& beforeRename = {}) const;

 private:
  std::string folder_;
  std::string path_;
  RegistryRoot root_;
};

}  // namespace skarvel::regfile
