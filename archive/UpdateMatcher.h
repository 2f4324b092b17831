#pragma once
// Which archive entry a source file of an update stands for: the file's category
// and match key, and the first entry in directory order that matches them,
// answered from indexes instead of a scan of the whole directory per file.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/WadArchive.h"

namespace skarvel {

enum class SourceCategory { Normal, Qualifying, Race };

// How one source file is matched.
struct SourceIdentity {
  SourceCategory category = SourceCategory::Normal;
  // The file lies below a "cars" folder: a normal file then matches by its path
  // below the source folder rather than by its file name.
  bool byPath = false;
  // Lower-cased: the file name, or for byPath the path from the source folder on.
  std::string key;

  bool operator==(const SourceIdentity&) const = default;
};

// The identity of file, a full path that the source text produced (the text itself
// when it names a single file, else a path below that folder).
SourceIdentity IdentifySource(const std::string& sourceText, const std::string& file);

// The name an unmatched file gets when it is added to the archive at archivePath:
// "cars\" + key in cars.wad, "maps\<track>\" + key in a track archive, else key.
std::string AppendedEntryName(const std::string& archivePath, const std::string& key);

// The first-match lookups of one archive's directory. Built once per loaded
// archive; entries appended during the update are added as they come, so they
// are found by later source files exactly as a scan would find them.
class EntryMatcher {
 public:
  EntryMatcher(const std::vector<WadDirEntry>& entries, std::int32_t count);

  // The index of the first entry that identity matches, or -1.
  std::int32_t FirstMatch(const SourceIdentity& identity) const;
  // Records the entry name at index, which must be above every index added before.
  void Add(std::string_view name, std::int32_t index);

 private:
  std::unordered_map<std::string, std::int32_t> byName_;      // whole name, lower-cased
  std::unordered_map<std::string, std::int32_t> byFileName_;  // text after the last "\"
  std::unordered_map<std::string, std::int32_t> qualifyingByFileName_;
  std::unordered_map<std::string, std::int32_t> raceByFileName_;
};

}  // namespace skarvel
