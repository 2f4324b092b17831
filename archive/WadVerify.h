#pragma once
// A health check of an archive file: reads it without changing it and tells
// what its directory and data regions look like, so a user can learn why an
// archive cannot be read (or will not extract) before any operation fails on it.
#include <cstdint>
#include <string>
#include <vector>

namespace skarvel {

// A run of bytes that no entry's data covers.
struct WadByteRange {
  std::int64_t start = 0;
  std::int64_t length = 0;
};

// One directory record as the report names it (the name in internal form).
struct WadRecordSpot {
  std::int32_t index = 0;
  std::string name;
  std::int32_t offset = 0;
  std::int32_t size = 0;
};

// An entry whose data shares bytes with the data of `other`: an entry that
// begins before it, or at the same position and earlier in the directory.
struct WadOverlap {
  WadRecordSpot entry;
  WadRecordSpot other;
};

// An entry with the same name as the earlier entry `first`, without regard to case.
struct WadDuplicate {
  WadRecordSpot entry;
  std::int32_t first = 0;
};

// An entry whose name extraction would refuse, and why.
struct WadUnsafeName {
  WadRecordSpot entry;
  std::string reason;  // internal form
};

struct WadVerifyReport {
  std::int64_t fileSize = 0;
  // The file holds the 4 bytes of the entry count.
  bool headerComplete = false;
  std::int32_t count = 0;
  // Where the directory the count announces would end (4 + 136 x count).
  std::int64_t directoryEnd = 0;
  // The count is not negative and its directory lies inside the file.
  bool directoryFits = false;
  // The records that were examined: all of them when the directory fits, else
  // those the file holds whole.
  std::int32_t recordsExamined = 0;

  // Entries with a negative offset or size, or whose bytes run past the end of the file.
  std::vector<WadRecordSpot> outsideFile;
  // Entries whose data reaches into the count or the directory.
  std::vector<WadRecordSpot> intoDirectory;
  // At most one per entry, so the report stays as small as the directory.
  std::vector<WadOverlap> overlaps;
  std::vector<WadDuplicate> duplicates;
  std::vector<WadUnsafeName> unsafeNames;
  // Uncovered bytes between the end of the directory and the end of the last data.
  std::vector<WadByteRange> gaps;
  // Bytes after the end of the directory and of every entry's data.
  std::int64_t trailingBytes = 0;
  // The data covers the bytes behind the directory exactly: no gap, no overlap,
  // nothing trailing, every entry inside the file.
  bool packed = false;
  // Packed, and in directory order, as a freshly created archive is.
  bool packedInDirectoryOrder = false;

  // Every entry's data can be read: the header and the directory are whole and
  // no entry lies outside the file.
  bool Readable() const { return headerComplete && directoryFits && outsideFile.empty(); }
};

// Examines the archive at path (internal form). Raises IoError when the file
// cannot be opened or read; never allocates more than the file's own size
// suggests and never reads outside the file, whatever its numbers say.
WadVerifyReport VerifyWad(const std::string& path);

}  // namespace skarvel
