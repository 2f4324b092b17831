#include "archive/history/Patch.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "archive/WadArchive.h"
#include "host/Encoding.h"
#include "host/Errors.h"

namespace skarvel::history {
namespace {

// A history file: this magic, the version, the payload's length and checksum,
// then the payload. Numbers are little-endian.
constexpr char kMagic[16] = {'S', 'K', 'A', 'R', 'V', 'E', 'L', ' ', 'H', 'I', 'S', 'T', 'O', 'R', 'Y', '\n'};
constexpr std::size_t kPreambleSize = sizeof kMagic + 4 + 8 + 8;

class Writer {
 public:
  void U32(std::uint32_t value) { Bytes(&value, 4); }
  void I32(std::int32_t value) { Bytes(&value, 4); }
  void I64(std::int64_t value) { Bytes(&value, 8); }
  void U64(std::uint64_t value) { Bytes(&value, 8); }
  void Text(std::string_view text) {
    U32(static_cast<std::uint32_t>(text.size()));
    out_.append(text);
  }
  void Identity(const ArchiveIdentity& identity) {
    I64(identity.length);
    U64(identity.directory);
    U64(identity.content);
  }
  std::string& out() { return out_; }

 private:
  // The program runs on little-endian machines only (x86 and ARM as built).
  void Bytes(const void* data, std::size_t size) { out_.append(static_cast<const char*>(data), size); }
  std::string out_;
};

class Reader {
 public:
  Reader(std::string_view bytes, const std::string& fileName) : bytes_(bytes), fileName_(fileName) {}

  [[noreturn]] void Damaged(const std::string& why) const {
    throw FormatError("The history file " + DisplayPath(fileName_) + " is damaged: " + why + ".");
  }
  std::uint32_t U32() { return Number<std::uint32_t>(); }
  std::int32_t I32() { return Number<std::int32_t>(); }
  std::int64_t I64() { return Number<std::int64_t>(); }
  std::uint64_t U64() { return Number<std::uint64_t>(); }
  std::string Text() { return std::string(Take(U32())); }
  std::string_view Take(std::uint64_t size) {
    if (size > bytes_.size() - at_) Damaged("it ends early");
    const std::string_view part = bytes_.substr(at_, static_cast<std::size_t>(size));
    at_ += static_cast<std::size_t>(size);
    return part;
  }
  // A count of records of at least minSize bytes each must fit in what is left,
  // before anything is sized by it.
  std::uint32_t Count(std::size_t minSize) {
    const std::uint32_t count = U32();
    if (count > (bytes_.size() - at_) / minSize) Damaged("a count passes its end");
    return count;
  }
  ArchiveIdentity Identity() {
    ArchiveIdentity identity;
    identity.length = I64();
    identity.directory = U64();
    identity.content = U64();
    return identity;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  template <typename T>
  T Number() {
    T value{};
    std::memcpy(&value, Take(sizeof value).data(), sizeof value);
    return value;
  }
  std::string_view bytes_;
  std::size_t at_ = 0;
  const std::string& fileName_;
};

// The old archive's pieces must cover it exactly, once, after its directory:
// a restore then writes every byte of it and no byte twice.
void CheckPieces(const Patch& patch, Reader& reader) {
  if (patch.oldHead.size() < 4) reader.Damaged("the old directory is missing");
  std::int32_t count = 0;
  std::memcpy(&count, patch.oldHead.data(), 4);
  if (count < 0 || patch.oldHead.size() != static_cast<std::uint64_t>(kWadHeaderSize + count * kWadRecordSize)) {
    reader.Damaged("the old directory does not match its count");
  }
  const auto headEnd = static_cast<std::int64_t>(patch.oldHead.size());
  if (patch.oldLength < headEnd) reader.Damaged("the old archive is shorter than its directory");
  if (patch.oldKeptWhole) {
    if (!patch.kept.empty() || !patch.stored.empty()) reader.Damaged("it keeps the old archive twice");
    return;
  }
  std::vector<std::pair<std::int64_t, std::int64_t>> pieces;
  for (const KeptEntry& kept : patch.kept) {
    if (kept.index < 0 || kept.index >= count || kept.size <= 0 || kept.oldOffset < 0) {
      reader.Damaged("a kept entry lies outside the old archive");
    }
    pieces.emplace_back(kept.oldOffset, kept.size);
  }
  for (const StoredRegion& region : patch.stored) {
    if (region.bytes.empty() || region.position < 0) reader.Damaged("a kept region is empty or misplaced");
    pieces.emplace_back(region.position, static_cast<std::int64_t>(region.bytes.size()));
  }
  std::sort(pieces.begin(), pieces.end());
  std::int64_t end = headEnd;
  for (const auto& [position, size] : pieces) {
    if (position != end || size > patch.oldLength - position) reader.Damaged("the old archive's pieces do not fit");
    end = position + size;
  }
  if (end != patch.oldLength) reader.Damaged("the old archive's pieces do not fill it");
}

// The kept entries as runs of consecutive indexes (first, count), ascending and
// apart, so that one list has one writing. Their old places are the old
// directory's: the patch's own maker takes them from there.
void WriteKeptRuns(const std::vector<KeptEntry>& kept, Writer& payload) {
  std::vector<std::pair<std::int32_t, std::int32_t>> runs;
  for (const KeptEntry& entry : kept) {
    if (!runs.empty() && runs.back().first + runs.back().second == entry.index) {
      ++runs.back().second;
    } else {
      runs.emplace_back(entry.index, 1);
    }
  }
  payload.U32(static_cast<std::uint32_t>(runs.size()));
  for (const auto& [first, count] : runs) {
    payload.I32(first);
    payload.I32(count);
  }
}

std::vector<KeptEntry> ReadKeptRuns(const std::string& oldHead, Reader& reader) {
  // Only the records the old directory holds can be named; whether they agree
  // with its count is checked with the pieces.
  const std::int64_t records = oldHead.size() < 4 ? 0 : static_cast<std::int64_t>(oldHead.size() - 4) / kWadRecordSize;
  std::vector<KeptEntry> kept;
  std::int64_t next = 0;  // the lowest index the next run may start at
  for (std::uint32_t runs = reader.Count(4 + 4); runs > 0; --runs) {
    const std::int64_t first = reader.I32();
    const std::int64_t count = reader.I32();
    if (first < next || count <= 0 || count > records - first) {
      reader.Damaged("a run of kept entries is out of order or outside the old directory");
    }
    for (std::int64_t index = first; index < first + count; ++index) {
      WadDirEntry record;
      std::memcpy(&record, oldHead.data() + kWadHeaderSize + index * kWadRecordSize, sizeof record);
      kept.push_back({static_cast<std::int32_t>(index), record.Offset, record.Size});
    }
    next = first + count + 1;
  }
  return kept;
}

}  // namespace

std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed) {
  std::uint64_t hash = 0xcbf29ce484222325ULL ^ seed;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, 8);
    hash = (hash ^ word) * 0x100000001b3ULL;
    hash ^= hash >> 29;
  }
  for (; i < bytes.size(); ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 0x100000001b3ULL;
  return hash ^ (hash >> 32) ^ bytes.size();
}

namespace {
constexpr std::uint64_t kPrime = 0x100000001b3ULL;
}  // namespace

ContentChecksum::ContentChecksum(std::uint32_t version) : version_(version) {
  for (std::uint64_t k = 0; k < 4; ++k) lanes_[k] = 0xcbf29ce484222325ULL ^ (k * 0x9e3779b97f4a7c15ULL);
}

void ContentChecksum::Add(std::string_view piece) {
  length_ += piece.size();
  if (version_ == 1) {
    chain_ = Checksum(piece, chain_);
    return;
  }
  std::size_t i = 0;
  for (; i + 32 <= piece.size(); i += 32) {
    for (std::size_t k = 0; k < 4; ++k) {
      std::uint64_t word = 0;
      std::memcpy(&word, piece.data() + i + 8 * k, 8);
      lanes_[k] = (lanes_[k] ^ word) * kPrime;
      lanes_[k] ^= lanes_[k] >> 29;
    }
  }
  // Only the last piece has bytes left over.
  for (; i < piece.size(); ++i) lanes_[0] = (lanes_[0] ^ static_cast<unsigned char>(piece[i])) * kPrime;
}

std::uint64_t ContentChecksum::Value() const {
  if (version_ == 1) return chain_;
  std::uint64_t hash = lanes_[0];
  for (std::size_t k = 1; k < 4; ++k) hash = ((hash ^ lanes_[k]) * kPrime) ^ (hash >> 32);
  return hash ^ length_;
}

std::int64_t Patch::StoredBytes() const {
  std::int64_t total = static_cast<std::int64_t>(oldHead.size());
  for (const StoredRegion& region : stored) total += static_cast<std::int64_t>(region.bytes.size());
  return total;
}

std::string EncodePatch(const Patch& patch) {
  Writer payload;
  for (const std::string* text : {&patch.archive, &patch.run, &patch.how, &patch.package, &patch.source}) {
    payload.Text(*text);
  }
  payload.I64(patch.time);
  payload.U32(static_cast<std::uint32_t>(patch.replaced.size()));
  for (const ReplacedEntry& entry : patch.replaced) {
    payload.I32(entry.index);
    payload.Text(entry.name);
    payload.I64(entry.oldSize);
    payload.I64(entry.newSize);
  }
  payload.U32(static_cast<std::uint32_t>(patch.appended.size()));
  for (const AppendedEntry& entry : patch.appended) {
    payload.I32(entry.index);
    payload.Text(entry.name);
    payload.I64(entry.size);
  }
  payload.I64(patch.oldLength);
  payload.Text(patch.oldHead);
  payload.U32(patch.oldKeptWhole ? 1 : 0);
  if (patch.version >= kFirstVersionWithKeptRuns) {
    WriteKeptRuns(patch.kept, payload);
  } else {
    payload.U32(static_cast<std::uint32_t>(patch.kept.size()));
    for (const KeptEntry& kept : patch.kept) {
      payload.I32(kept.index);
      payload.I64(kept.oldOffset);
      payload.I64(kept.size);
    }
  }
  payload.U32(static_cast<std::uint32_t>(patch.stored.size()));
  for (const StoredRegion& region : patch.stored) {
    payload.I64(region.position);
    payload.Text(region.bytes);
  }
  payload.Identity(patch.before);
  payload.Identity(patch.after);

  Writer file;
  file.out().append(kMagic, sizeof kMagic);
  file.U32(patch.version);
  file.U64(payload.out().size());
  file.U64(Checksum(payload.out()));
  file.out() += payload.out();
  return std::move(file.out());
}

Patch DecodePatch(std::string_view bytes, const std::string& fileName) {
  Reader head(bytes, fileName);
  if (bytes.size() < kPreambleSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    throw FormatError("The file " + DisplayPath(fileName) + " is no history file of this program.");
  }
  head.Take(sizeof kMagic);
  const std::uint32_t version = head.U32();
  if (version < kOldestPatchVersion || version > kPatchVersion) {
    throw FormatError("The history file " + DisplayPath(fileName) + " has version " + std::to_string(version) +
                      ", which this program does not read.");
  }
  const std::uint64_t size = head.U64();
  const std::uint64_t checksum = head.U64();
  const std::string_view body = head.Take(size);
  if (!head.AtEnd()) head.Damaged("bytes follow its end");
  if (Checksum(body) != checksum) head.Damaged("its checksum does not match what it keeps");

  Reader reader(body, fileName);
  Patch patch;
  patch.version = version;
  for (std::string* text : {&patch.archive, &patch.run, &patch.how, &patch.package, &patch.source}) {
    *text = reader.Text();
  }
  patch.time = reader.I64();
  patch.replaced.resize(reader.Count(4 + 4 + 8 + 8));
  for (ReplacedEntry& entry : patch.replaced) {
    entry.index = reader.I32();
    entry.name = reader.Text();
    entry.oldSize = reader.I64();
    entry.newSize = reader.I64();
  }
  patch.appended.resize(reader.Count(4 + 4 + 8));
  for (AppendedEntry& entry : patch.appended) {
    entry.index = reader.I32();
    entry.name = reader.Text();
    entry.size = reader.I64();
  }
  patch.oldLength = reader.I64();
  patch.oldHead = reader.Text();
  const std::uint32_t whole = reader.U32();
  if (whole > 1) reader.Damaged("it names no way the old archive is kept");
  patch.oldKeptWhole = whole == 1;
  if (version >= kFirstVersionWithKeptRuns) {
    patch.kept = ReadKeptRuns(patch.oldHead, reader);
  } else {
    patch.kept.resize(reader.Count(4 + 8 + 8));
    for (KeptEntry& kept : patch.kept) {
      kept.index = reader.I32();
      kept.oldOffset = reader.I64();
      kept.size = reader.I64();
    }
  }
  patch.stored.resize(reader.Count(8 + 4));
  for (StoredRegion& region : patch.stored) {
    region.position = reader.I64();
    region.bytes = reader.Text();
  }
  patch.before = reader.Identity();
  patch.after = reader.Identity();
  if (!reader.AtEnd()) reader.Damaged("bytes follow its last record");
  CheckPieces(patch, reader);
  return patch;
}

}  // namespace skarvel::history
