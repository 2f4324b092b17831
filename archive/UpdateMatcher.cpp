#include "archive/UpdateMatcher.h"

#include <algorithm>
#include <utility>

#include "archive/WadUpdate.h"
#include "host/Encoding.h"
#include "host/Paths.h"

namespace skarvel {
namespace {

constexpr std::string_view kCarsFolder = "\\cars\\";
constexpr std::string_view kQualifyingFolder = "\\qualifying\\";
constexpr std::string_view kRaceFolder = "\\race\\";

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string_view AfterLastSlash(std::string_view path) {
  const auto slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The path of a file below the folder that the source text names, lower-cased.
// Every path of a folder's enumeration begins with the text and one "\".
std::string KeyBelowFolder(const std::string& sourceText, const std::string& lowered) {
  std::size_t prefix = sourceText.size();
  if (sourceText.empty() || sourceText.back() != '\\') ++prefix;
  if (lowered.size() < prefix) return lowered;  // cannot come from the enumeration
  return lowered.substr(prefix);
}

// A single file has no source folder; its key starts at its innermost "cars"
// folder, the key it would have had if the folder above it had been the source.
std::string KeyFromCarsFolder(const std::string& lowered) {
  return lowered.substr(lowered.rfind(kCarsFolder) + 1);
}

}  // namespace

SourceIdentity IdentifySource(const std::string& sourceText, const std::string& file) {
  const std::string lowered = ToLowerCp1252(file);
  SourceIdentity identity;
  if (Contains(lowered, kQualifyingFolder)) identity.category = SourceCategory::Qualifying;
  if (Contains(lowered, kRaceFolder)) identity.category = SourceCategory::Race;
  identity.byPath = Contains(lowered, kCarsFolder);
  if (!identity.byPath) {
    identity.key = std::string(AfterLastSlash(lowered));
  } else if (IsSourceFolder(sourceText)) {
    identity.key = KeyBelowFolder(sourceText, lowered);
  } else {
    identity.key = KeyFromCarsFolder(lowered);
  }
  return identity;
}

std::string AppendedEntryName(const std::string& archivePath, const std::string& key) {
  const std::string base = Patchname(archivePath);
  if (ToLowerCp1252(base) == "cars.wad") return "cars\\" + key;
  // The track names are compared with regard to case: only an archive named in
  // lower case, as the game names them, gets the folder of its track.
  const std::string stem = base.size() >= 4 ? base.substr(0, base.size() - 4) : std::string();
  for (const char* track : TrackNames) {
    if (stem == track) return "maps\\" + stem + "\\" + key;
  }
  return key;
}

EntryMatcher::EntryMatcher(const std::vector<WadDirEntry>& entries, std::int32_t count) {
  const std::size_t n = std::min(entries.size(), static_cast<std::size_t>(std::max(count, 0)));
  byName_.reserve(n);
  byFileName_.reserve(n);
  // A record's name ends at its first NUL, so it has none left to crop.
  for (std::size_t i = 0; i < n; ++i) Add(EntryName(entries[i]), static_cast<std::int32_t>(i));
}

void EntryMatcher::Add(std::string_view name, std::int32_t index) {
  // try_emplace keeps the earlier index: the first entry in directory order wins
  // (and leaves a key it did not take unmoved).
  std::string lowered = ToLowerCp1252(name);
  std::string fileName(AfterLastSlash(lowered));
  if (Contains(lowered, kQualifyingFolder)) qualifyingByFileName_.try_emplace(fileName, index);
  if (Contains(lowered, kRaceFolder)) raceByFileName_.try_emplace(fileName, index);
  byFileName_.try_emplace(std::move(fileName), index);
  byName_.try_emplace(std::move(lowered), index);
}

std::int32_t EntryMatcher::FirstMatch(const SourceIdentity& identity) const {
  const std::unordered_map<std::string, std::int32_t>* index = nullptr;
  switch (identity.category) {
    case SourceCategory::Qualifying:
      index = &qualifyingByFileName_;
      break;
    case SourceCategory::Race:
      index = &raceByFileName_;
      break;
    case SourceCategory::Normal:
      index = identity.byPath ? &byName_ : &byFileName_;
      break;
  }
  const auto found = index->find(identity.key);
  return found == index->end() ? -1 : found->second;
}

}  // namespace skarvel
