#include "archive/WadVerify.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>

#include "archive/EntryNames.h"
#include "archive/WadArchive.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"

namespace skarvel {

namespace {

// The directory is read in slices, so a huge directory costs one slice of
// memory for the reading however many records it holds.
constexpr std::int64_t kRecordsPerSlice = 4096;

// The data of one entry that lies inside the file and holds bytes.
struct Region {
  std::int64_t start;
  std::int64_t end;
  std::int32_t index;
};

// The lower-cased name's hash, kept instead of the name so that the memory for
// finding duplicates stays a small fraction of the directory's size.
struct NameKey {
  std::size_t hash;
  std::int32_t index;
};

// The name's length within its field, as EntryName sees it, without copying it.
std::size_t NameLength(const WadDirEntry& entry) {
  const void* nul = std::memchr(entry.Name, '\0', kWadNameSize);
  return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - entry.Name) : kWadNameSize;
}

std::int64_t RecordPosition(std::int64_t index) { return kWadHeaderSize + kWadRecordSize * index; }

WadRecordSpot SpotOf(const WadDirEntry& entry, std::int32_t index) {
  return {index, EntryName(entry), entry.Offset, entry.Size};
}

WadRecordSpot SpotAt(File& file, std::int32_t index) {
  WadDirEntry entry{};
  file.ReadAt(RecordPosition(index), &entry, sizeof entry);
  return SpotOf(entry, index);
}

// An empty entry reads nothing, so only a negative offset puts it outside.
bool LiesOutside(const WadDirEntry& entry, std::int64_t fileSize) {
  if (entry.Offset < 0 || entry.Size < 0) return true;
  return entry.Size > 0 && std::int64_t{entry.Offset} + entry.Size > fileSize;
}

// Overlaps as (entry, other) index pairs, gaps and trailing bytes, from the
// regions in file order. Each entry is reported overlapping at most once (with
// the earlier region that reaches furthest), so a thousand entries on the same
// bytes give a thousand lines, not half a million.
std::vector<std::pair<std::int32_t, std::int32_t>> ExamineLayout(std::vector<Region>& regions,
                                                                 std::int64_t dataStart, WadVerifyReport& report) {
  std::sort(regions.begin(), regions.end(), [](const Region& a, const Region& b) {
    return a.start != b.start ? a.start < b.start : a.index < b.index;
  });
  std::vector<std::pair<std::int32_t, std::int32_t>> overlaps;
  std::int64_t covered = dataStart;
  std::int64_t furthestEnd = -1;
  std::int32_t furthestIndex = -1;
  for (const Region& region : regions) {
    if (region.start < furthestEnd) overlaps.emplace_back(region.index, furthestIndex);
    if (region.start > covered) report.gaps.push_back({covered, region.start - covered});
    covered = std::max(covered, region.end);
    if (region.end > furthestEnd) {
      furthestEnd = region.end;
      furthestIndex = region.index;
    }
  }
  report.trailingBytes = report.fileSize - covered;
  std::sort(overlaps.begin(), overlaps.end());
  return overlaps;
}

bool InDirectoryOrder(const std::vector<Region>& regionsInDirectoryOrder, std::int64_t dataStart) {
  std::int64_t expected = dataStart;
  for (const Region& region : regionsInDirectoryOrder) {
    if (region.start != expected) return false;
    expected = region.end;
  }
  return true;
}

// Equal hashes are confirmed on the names themselves, read again from the file;
// only records that share a hash are read twice.
void FindDuplicates(File& file, std::vector<NameKey>& keys, WadVerifyReport& report) {
  std::sort(keys.begin(), keys.end(), [](const NameKey& a, const NameKey& b) {
    return a.hash != b.hash ? a.hash < b.hash : a.index < b.index;
  });
  std::vector<std::pair<std::string, std::int32_t>> firstOfName;  // within one hash group
  for (std::size_t begin = 0; begin < keys.size();) {
    std::size_t end = begin + 1;
    while (end < keys.size() && keys[end].hash == keys[begin].hash) ++end;
    if (end - begin > 1) {
      firstOfName.clear();
      for (std::size_t k = begin; k < end; ++k) {
        WadRecordSpot spot = SpotAt(file, keys[k].index);
        std::string lowered = ToLowerCp1252(spot.name);
        auto same = std::find_if(firstOfName.begin(), firstOfName.end(),
                                 [&](const auto& seen) { return seen.first == lowered; });
        if (same == firstOfName.end()) {
          firstOfName.emplace_back(std::move(lowered), spot.index);
        } else {
          report.duplicates.push_back({std::move(spot), same->second});
        }
      }
    }
    begin = end;
  }
  std::sort(report.duplicates.begin(), report.duplicates.end(),
            [](const WadDuplicate& a, const WadDuplicate& b) { return a.entry.index < b.entry.index; });
}

WadVerifyReport Examine(const std::string& path) {
  WadVerifyReport report;
  File file = File::OpenForReading(path);
  report.fileSize = file.Size();
  if (report.fileSize < kWadHeaderSize) return report;
  report.headerComplete = true;
  file.ReadAt(0, &report.count, sizeof report.count);
  report.directoryEnd = RecordPosition(report.count);
  report.directoryFits = report.count >= 0 && report.directoryEnd <= report.fileSize;

  // Only records the file holds whole are examined: the count decides nothing
  // about how much is read or allocated.
  const std::int64_t recordsInFile = (report.fileSize - kWadHeaderSize) / kWadRecordSize;
  const std::int64_t examined = report.count < 0 ? 0 : std::min<std::int64_t>(report.count, recordsInFile);
  report.recordsExamined = static_cast<std::int32_t>(examined);
  const std::int64_t dataStart = RecordPosition(examined);

  std::vector<Region> regions;
  regions.reserve(static_cast<std::size_t>(examined));
  std::vector<NameKey> keys;
  keys.reserve(static_cast<std::size_t>(examined));
  std::vector<WadDirEntry> slice(static_cast<std::size_t>(std::min(examined, kRecordsPerSlice)));
  std::string lowered;  // reused: a million names should not cost a million allocations

  for (std::int64_t first = 0; first < examined; first += kRecordsPerSlice) {
    const std::int64_t n = std::min(kRecordsPerSlice, examined - first);
    file.ReadAt(RecordPosition(first), slice.data(), static_cast<std::size_t>(n) * sizeof(WadDirEntry));
    for (std::int64_t k = 0; k < n; ++k) {
      const WadDirEntry& entry = slice[static_cast<std::size_t>(k)];
      const auto index = static_cast<std::int32_t>(first + k);
      if (LiesOutside(entry, report.fileSize)) {
        report.outsideFile.push_back(SpotOf(entry, index));
      } else if (entry.Size > 0) {
        const std::int64_t start = entry.Offset;
        regions.push_back({start, start + entry.Size, index});
        if (start < dataStart) report.intoDirectory.push_back(SpotOf(entry, index));
      }
      const std::string_view name(entry.Name, NameLength(entry));
      lowered.resize(name.size());
      std::transform(name.begin(), name.end(), lowered.begin(), LowerCp1252);
      keys.push_back({std::hash<std::string_view>{}(lowered), index});
      if (auto reason = UnsafeEntryNameReason(name)) report.unsafeNames.push_back({SpotOf(entry, index), *reason});
    }
  }

  const bool ordered = InDirectoryOrder(regions, dataStart);
  for (const auto& [index, other] : ExamineLayout(regions, dataStart, report)) {
    report.overlaps.push_back({SpotAt(file, index), SpotAt(file, other)});
  }
  FindDuplicates(file, keys, report);
  file.Close();

  report.packed = report.Readable() && report.intoDirectory.empty() && report.overlaps.empty() &&
                  report.gaps.empty() && report.trailingBytes == 0;
  report.packedInDirectoryOrder = report.packed && ordered;
  return report;
}

}  // namespace

WadVerifyReport VerifyWad(const std::string& path) {
  return ConcerningFile(path, [&] { return Examine(path); });
}

}  // namespace skarvel
