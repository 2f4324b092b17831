#pragma once
// One patch of an archive's history: what an update changed, and what is needed
// to give the archive back byte for byte as the patch found it (its old
// directory, the old bytes the rewrite dropped, and where the bytes it kept now
// lie), kept in a file of the program's own format (see the README).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel::history {

// A checksum of bytes: 64 bits, a word at a time, enough to tell damage and
// another program's change from the expected bytes.
std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed = 0);

// The versions of the history file. Version 1 took the checksum of an
// archive's content in one chain of words; version 2 takes it in four
// interleaved chains, which a processor runs side by side: every restore and
// every recorded patch reads a whole archive for it. Version 3 names the kept
// entries by runs of indexes, whose places the old directory already holds:
// listed one by one, they cost 20 bytes for each entry a patch leaves alone.
inline constexpr std::uint32_t kOldestPatchVersion = 1;
inline constexpr std::uint32_t kPatchVersion = 3;
inline constexpr std::uint32_t kFirstVersionWithKeptRuns = 3;

// The checksum of an archive's content (every byte after its directory) as the
// history file of a version takes it, fed in pieces of 1 MiB, the last shorter.
class ContentChecksum {
 public:
  static constexpr std::size_t kPiece = 1 << 20;
  explicit ContentChecksum(std::uint32_t version);
  void Add(std::string_view piece);
  std::uint64_t Value() const;

 private:
  std::uint32_t version_;
  std::uint64_t chain_ = 0;  // version 1
  std::uint64_t lanes_[4];   // version 2 on
  std::uint64_t length_ = 0;
};

struct ReplacedEntry {
  std::int32_t index = 0;
  std::string name;
  std::int64_t oldSize = 0, newSize = 0;
  bool operator==(const ReplacedEntry&) const = default;
};
struct AppendedEntry {
  std::int32_t index = 0;
  std::string name;
  std::int64_t size = 0;
  bool operator==(const AppendedEntry&) const = default;
};
// An old entry whose bytes the rewrite kept: at oldOffset in the old archive,
// at the offset of the same index in the new one.
struct KeptEntry {
  std::int32_t index = 0;
  std::int64_t oldOffset = 0, size = 0;
  bool operator==(const KeptEntry&) const = default;
};
// Old bytes that the rewrite dropped (replaced data, gaps, bytes after the last
// entry), with their place in the old archive.
struct StoredRegion {
  std::int64_t position = 0;
  std::string bytes;
  bool operator==(const StoredRegion&) const = default;
};
// What tells an archive as a patch left it from any other: its length, its
// count and directory, and every byte after the directory, so that a change by
// another program anywhere in it (another tool's patch of the same size, a
// --no-history update) is told apart.
struct ArchiveIdentity {
  std::int64_t length = 0;
  std::uint64_t directory = 0;  // Checksum of the count and the directory
  std::uint64_t content = 0;    // ContentChecksum of the bytes after the directory
  bool operator==(const ArchiveIdentity&) const = default;
};

struct Patch {
  // The version of the file it came from, which chose how after.content was taken.
  std::uint32_t version = kPatchVersion;
  // Who made it.
  std::string archive;  // internal path
  std::string run;      // shared by the patches of one run
  std::int64_t time = 0;  // seconds since 1970, UTC
  std::string how;      // "window", "installer" or "command line"
  std::string package;  // the installer's package folder, or empty
  std::string source;   // the source text of the update
  std::vector<ReplacedEntry> replaced;
  std::vector<AppendedEntry> appended;
  // The archive before: its bytes up to its directory's end, then the pieces.
  std::int64_t oldLength = 0;
  std::string oldHead;  // the count and the directory, as in the file
  // The old archive whole, kept under a second name beside the patch file (a
  // hard link, which costs no copy), where nearly every entry was replaced;
  // kept and stored are then empty.
  bool oldKeptWhole = false;
  std::vector<KeptEntry> kept;
  std::vector<StoredRegion> stored;
  ArchiveIdentity before;  // length and directory (content is 0)
  ArchiveIdentity after;   // the archive as the patch left it

  bool operator==(const Patch&) const = default;
  // The bytes the patch keeps of the old archive.
  std::int64_t StoredBytes() const;
};

// The file's bytes.
std::string EncodePatch(const Patch& patch);
// The patch in a file's bytes; FormatError naming fileName when the bytes are no
// history file of this program, are damaged, or describe an impossible archive.
Patch DecodePatch(std::string_view bytes, const std::string& fileName);

}  // namespace skarvel::history
