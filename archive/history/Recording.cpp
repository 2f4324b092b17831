#include "archive/history/Recording.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

#include "host/FileSystem.h"

namespace skarvel::history {
namespace {

std::string Head(std::int32_t count, const std::vector<WadDirEntry>& entries) {
  std::string head(reinterpret_cast<const char*>(&count), 4);
  head.append(reinterpret_cast<const char*>(entries.data()), static_cast<std::size_t>(count) * sizeof(WadDirEntry));
  return head;
}

// The old entries whose data shares no byte with another's: only those can be
// taken back from where the rewrite put them, since where regions overlap the
// rewrite writes each byte once, for one of them.
std::vector<bool> StandAlone(const ArchiveBefore& before) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < static_cast<std::size_t>(before.count); ++i) {
    if (before.entries[i].Size > 0) order.push_back(i);
  }
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return before.entries[a].Offset < before.entries[b].Offset; });
  std::vector<bool> alone(static_cast<std::size_t>(before.count), false);
  std::int64_t reach = -1;  // the end of the data before this entry
  for (std::size_t k = 0; k < order.size(); ++k) {
    const WadDirEntry& entry = before.entries[order[k]];
    const std::int64_t end = static_cast<std::int64_t>(entry.Offset) + entry.Size;
    const bool clearBefore = entry.Offset >= reach;
    const bool clearAfter = k + 1 == order.size() || before.entries[order[k + 1]].Offset >= end;
    alone[order[k]] = clearBefore && clearAfter;
    reach = std::max(reach, end);
  }
  return alone;
}

}  // namespace

std::string NewRunId() {
  std::random_device random;
  char id[48];
  std::snprintf(id, sizeof id, "%lld-%08x", static_cast<long long>(std::time(nullptr)), random());
  return id;
}

ArchiveBefore TakeBefore(const WadArchive& wad, const std::string& path) {
  ArchiveBefore before;
  before.length = FileSizeOf(path);
  before.count = wad.Count;
  before.entries.assign(wad.Entries.begin(), wad.Entries.begin() + wad.Count);
  return before;
}

Patch MakePatch(const std::string& path, const ArchiveBefore& before, const WadArchive& after, PatchChanges changes,
                const std::string& source, const PatchOrigin& origin, const std::function<bool()>& keepWhole) {
  Patch patch;
  patch.archive = path;
  patch.run = origin.run;
  patch.time = static_cast<std::int64_t>(std::time(nullptr));
  patch.how = origin.how;
  patch.package = origin.package;
  patch.source = source;
  patch.replaced = std::move(changes.replaced);
  patch.appended = std::move(changes.appended);

  patch.oldLength = before.length;
  patch.oldHead = Head(before.count, before.entries);
  patch.before = {before.length, Checksum(patch.oldHead), 0};

  // Kept: an old entry that stands alone and whose data the rewrite copies
  // from where it was. Every other old byte after the directory is stored.
  const std::vector<bool> alone = StandAlone(before);
  std::vector<std::pair<std::int64_t, std::int64_t>> keptRanges;
  for (std::int32_t i = 0; i < before.count; ++i) {
    const WadDirEntry& old = before.entries[static_cast<std::size_t>(i)];
    const auto index = static_cast<std::size_t>(i);
    if (!alone[index] || !after.IsLeftInFile(index) || after.DataLeftInFile[index] != old.Offset ||
        after.Entries[index].Size != old.Size || static_cast<std::int64_t>(old.Offset) + old.Size > before.length ||
        static_cast<std::int64_t>(old.Offset) < static_cast<std::int64_t>(patch.oldHead.size())) {
      continue;
    }
    patch.kept.push_back({i, old.Offset, old.Size});
    keptRanges.emplace_back(old.Offset, old.Size);
  }
  std::sort(keptRanges.begin(), keptRanges.end());
  std::int64_t keptBytes = static_cast<std::int64_t>(patch.oldHead.size());
  for (const auto& range : keptRanges) keptBytes += range.second;
  // More than three quarters of the old archive to store: a second name for
  // the old file, where the store can give one, keeps it whole at no cost.
  if (keepWhole && (before.length - keptBytes) * 4 > before.length * 3 && keepWhole()) {
    patch.kept.clear();
    patch.oldKeptWhole = true;
    return patch;
  }
  File old = File::OpenForReading(path);
  auto store = [&](std::int64_t from, std::int64_t to) {
    if (to <= from) return;
    StoredRegion region{from, std::string(static_cast<std::size_t>(to - from), '\0')};
    old.ReadAt(from, region.bytes.data(), region.bytes.size());
    patch.stored.push_back(std::move(region));
  };
  std::int64_t at = static_cast<std::int64_t>(patch.oldHead.size());
  for (const auto& [offset, size] : keptRanges) {
    store(at, offset);
    at = offset + size;
  }
  store(at, before.length);

  return patch;
}

}  // namespace skarvel::history
