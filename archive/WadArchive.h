#pragma once
// The ".wad" format: a signed 32-bit little-endian entry count, a directory of
// 136-byte records (128-byte NUL-padded name, offset, size), and each entry's
// data at its absolute offset. The program holds one WadArchive that every
// operation shares.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ContentsList.h"
#include "host/FileSystem.h"

namespace skarvel {

inline constexpr std::int64_t kWadHeaderSize = 4;
inline constexpr std::int64_t kWadRecordSize = 136;
inline constexpr std::size_t kWadNameSize = 128;
inline constexpr std::int64_t kWadMaxPosition = 2147483647;  // the largest signed 32-bit value

// One directory record, byte for byte as in the file (on a little-endian host).
struct WadDirEntry {
  char Name[kWadNameSize];  // raw field: the name, then NUL bytes (or none at 128 bytes)
  std::int32_t Offset;
  std::int32_t Size;
};
static_assert(sizeof(WadDirEntry) == kWadRecordSize, "a directory record is exactly 136 bytes");

// The name of a record: its field up to the first NUL, or all 128 bytes.
std::string EntryName(const WadDirEntry& entry);
// Puts name into the field, NUL-padded; refuses (RefusedError) a name over 128 bytes.
void SetEntryName(WadDirEntry& entry, std::string_view name);

struct WadArchive {
  std::int32_t Count = 0;
  std::vector<WadDirEntry> Entries;  // resized with zero-filled records
  std::vector<std::string> Payloads;  // element i holds the data of record i

  // Data an update did not need to read. While DataLeftInFile[i] is not -1,
  // record i's data still lies at that position of the archive file DataFile and
  // Payloads[i] is empty; a rewrite copies it from there inside the kernel, so an
  // update of a large archive neither holds nor copies the entries it keeps.
  std::string DataFile;
  std::vector<std::int64_t> DataLeftInFile;

  // Resize the arrays, keeping existing elements and zero-filling new ones; new
  // payloads are held in memory.
  void ResizeEntries(std::size_t n);
  void ResizePayloads(std::size_t n);
  // Record i's data becomes data, held in memory.
  void SetPayload(std::size_t i, std::string data);
  // Whether record i's data is still in DataFile.
  bool IsLeftInFile(std::size_t i) const { return i < DataLeftInFile.size() && DataLeftInFile[i] >= 0; }
};

// Every load reads into locals and moves them in only when it succeeded: a failed
// load leaves wad as it was. A malformed archive raises FormatError naming the
// archive and the fault, before anything out of proportion to the file's length
// is allocated; a file that cannot be opened raises IoError.

// Sets Count and Entries from the archive at path; leaves Payloads alone. Reads
// only the count and the directory (one read), after checking that the
// directory fits in the file. Records are taken as they are, so a directory
// whose entries point outside the file can still be listed.
void LoadWadDirectory(WadArchive& wad, const std::string& path);
// Sets Count, Entries and Payloads from the archive at path. Every record is
// checked against the file before any data is read: offset and size not
// negative, data inside the file (an empty entry may point anywhere), and all
// entries together claiming at most four times the file's length. A load that
// fails after its checks keeps Count and Entries but has already let the old
// Payloads go, so two archives' data are never held at once.
void LoadWadArchive(WadArchive& wad, const std::string& path);
// LoadWadArchive leaving every entry's data in the file (DataLeftInFile) instead
// of reading it: what the update uses. The same checks, except the bound on what
// the entries claim together, which only protects memory that this load does not use.
void LoadWadArchiveLazily(WadArchive& wad, const std::string& path);
// The data of entry index, located by the shared Entries and checked against
// the file as it is now. An index outside Entries raises RefusedError.
std::string ReadWadEntry(const WadArchive& wad, const std::string& path, std::int32_t index);
// Writes the archive from the first count records and payloads, crash-safely:
// the file at path is either the old one or the complete new one, with its
// permissions. Regions no entry covers are zeros; where data regions share
// bytes, the entry later in the directory wins. The file ends at the directory
// or at the largest end of a non-empty entry. Refused (RefusedError, nothing
// written) when count is negative, fewer records or payloads than count exist,
// a record has a negative offset or size, a payload's length differs from its
// record's Size, or non-empty data would reach into the header or directory.
// beforeCommit, when given, sees the complete new file (open for reading and
// writing) just before it replaces the old one; what it raises stops the
// replacement.
void RebuildWad(const WadArchive& wad, const std::string& path, std::int32_t count,
                const std::function<void(File&)>& beforeCommit = {});

// The contents row of a record: file name;folder;size;index.
std::string ContentsRow(const WadDirEntry& entry, std::int32_t index);
// Lists the archive that archiveText names into list (nothing happens when the
// text begins with ".." or names no file).
void CreateFileList(WadArchive& wad, const std::string& archiveText, ContentsList& list);

}  // namespace skarvel
