#include "archive/WadArchive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <optional>
#include <utility>

#include "archive/VisiblePieces.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Paths.h"

namespace skarvel {

// Records are read and written as raw bytes; that matches the file's
// little-endian integers only on a little-endian machine, which every target is.
static_assert(std::endian::native == std::endian::little, "directory records are held in file byte order");
static_assert(std::is_trivially_copyable_v<WadDirEntry>);

namespace {

// Overlapping entries load one copy of the shared bytes each, so a small hostile
// file could otherwise claim its whole length thousands of times over.
constexpr std::int64_t kMaxCopiesOfFile = 4;

// Small payloads are gathered into one buffer so that a packed archive goes to
// the disk in large writes instead of one call per entry. The buffer is copied
// twice (in, then out by the kernel), so it must stay in the processor's cache:
// measured on a 1 GiB archive, 1 MiB wrote about twice as fast as 8 MiB.
constexpr std::size_t kRunBufferSize = std::size_t{1} << 20;

// Data left in the old archive is copied by the kernel in runs of at least this
// size; shorter runs are read and gathered, since each kernel copy costs about as
// much as reading 100 KiB (measured: 20,000 copies of 50 KiB took three times the
// processor time of reading them).
constexpr std::int64_t kSmallCopy = std::int64_t{256} << 10;

std::string Quoted(const WadDirEntry& entry) {
  std::string text(1, '"');
  text += EntryName(entry);
  text += '"';
  return text;
}

std::int64_t DirectoryEnd(std::int64_t count) { return kWadHeaderSize + kWadRecordSize * count; }

[[noreturn]] void Malformed(const std::string& path, const std::string& what) {
  throw FormatError("The archive " + DisplayPath(path) + " is damaged: " + what + ".");
}

[[noreturn]] void Refuse(const std::string& path, const std::string& what) {
  throw RefusedError("The archive " + DisplayPath(path) + " was not written: " + what + ".");
}

std::int32_t ReadCount(File& file, const std::string& path, std::int64_t fileLength) {
  if (fileLength < kWadHeaderSize) {
    Malformed(path, "it is " + std::to_string(fileLength) + " bytes long, too short to hold an entry count");
  }
  std::int32_t count = 0;
  file.ReadAt(0, &count, sizeof count);
  if (count < 0) Malformed(path, "its entry count is negative (" + std::to_string(count) + ")");
  if (DirectoryEnd(count) > fileLength) {
    Malformed(path, "its entry count (" + std::to_string(count) + ") needs a directory ending at byte " +
                        std::to_string(DirectoryEnd(count)) + ", but the file is " + std::to_string(fileLength) +
                        " bytes long");
  }
  return count;
}

// The whole directory in one read; the count has been checked against the file,
// so the allocation is bounded by the file's length.
std::vector<WadDirEntry> ReadDirectory(File& file, std::int32_t count) {
  std::vector<WadDirEntry> entries(static_cast<std::size_t>(count));
  if (count > 0) file.ReadAt(kWadHeaderSize, entries.data(), entries.size() * sizeof(WadDirEntry));
  return entries;
}

void CheckEntryInFile(const WadDirEntry& entry, std::int64_t index, const std::string& path,
                      std::int64_t fileLength) {
  // Named only when refused: a load checks every entry, and 20,000 names built
  // for nothing cost more than the checks.
  const auto which = [&] { return "entry " + std::to_string(index) + " " + Quoted(entry); };
  if (entry.Offset < 0) Malformed(path, which() + " has a negative offset (" + std::to_string(entry.Offset) + ")");
  if (entry.Size < 0) Malformed(path, which() + " has a negative size (" + std::to_string(entry.Size) + ")");
  // An empty entry reads nothing, wherever it points.
  const std::int64_t end = std::int64_t{entry.Offset} + entry.Size;
  if (entry.Size > 0 && end > fileLength) {
    Malformed(path, which() + " lies outside the file: its " + std::to_string(entry.Size) +
                        " bytes at offset " + std::to_string(entry.Offset) + " end at " + std::to_string(end) +
                        ", but the file is " + std::to_string(fileLength) + " bytes long");
  }
}

// What a load checks of the records before it goes on.
enum class EntryChecks {
  None,            // a listing: records are shown as they are
  InFile,          // data left in the file: every entry must lie inside it
  InFileAndMemory  // data read into memory: also no more than it can hold
};

void CheckEntries(const std::vector<WadDirEntry>& entries, const std::string& path, std::int64_t fileLength,
                  EntryChecks checks) {
  if (checks == EntryChecks::None) return;
  std::int64_t total = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    CheckEntryInFile(entries[i], static_cast<std::int64_t>(i), path, fileLength);
    total += entries[i].Size;
  }
  if (checks == EntryChecks::InFileAndMemory && total > kMaxCopiesOfFile * fileLength) {
    Malformed(path, "its entries overlap so much that together they claim " + std::to_string(total) +
                        " bytes of a file of " + std::to_string(fileLength) + " bytes");
  }
}

// Puts pieces at absolute positions of a fresh file. Neighbouring small pieces are
// gathered into one large write, and neighbouring pieces copied from another file
// into one copy; a jump forward leaves a hole that reads as zeros. Pieces land in
// the order they are given.
class RunWriter {
 public:
  explicit RunWriter(File& file) : file_(file) { buffer_.reserve(kRunBufferSize); }

  void Put(std::int64_t position, const char* data, std::size_t size) {
    if (size == 0) return;
    FlushCopy();
    if (position != end_) {
      FlushBuffer();
      file_.Seek(position);
      end_ = position;
    }
    if (size >= kRunBufferSize / 2) {
      FlushBuffer();
      file_.Write(data, size);
    } else {
      if (buffer_.size() + size > kRunBufferSize) FlushBuffer();
      buffer_.insert(buffer_.end(), data, data + size);
    }
    end_ += static_cast<std::int64_t>(size);
  }

  // Puts size bytes of source from sourcePosition on at position. The entries an
  // update keeps usually follow each other in both files, so they become one copy.
  void Copy(std::int64_t position, File& source, std::int64_t sourcePosition, std::int64_t size) {
    if (size == 0) return;
    if (copySize_ > 0 && copySource_ == &source && position == copyTo_ + copySize_ &&
        sourcePosition == copyFrom_ + copySize_) {
      copySize_ += size;
      return;
    }
    Flush();
    copySource_ = &source;
    copyTo_ = position;
    copyFrom_ = sourcePosition;
    copySize_ = size;
  }

  void Flush() {
    FlushCopy();
    FlushBuffer();
  }

 private:
  void FlushBuffer() {
    if (buffer_.empty()) return;
    file_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
  }

  void FlushCopy() {
    if (copySize_ == 0) return;
    const std::int64_t size = std::exchange(copySize_, 0);
    if (size < kSmallCopy) {
      // A kernel copy has a high fixed cost: small pieces join the gathered run.
      scratch_.resize(static_cast<std::size_t>(size));
      copySource_->ReadAt(copyFrom_, scratch_.data(), scratch_.size());
      Put(copyTo_, scratch_.data(), scratch_.size());
      return;
    }
    FlushBuffer();
    if (copyTo_ != end_) file_.Seek(copyTo_);
    file_.CopyFrom(*copySource_, copyFrom_, size);
    end_ = copyTo_ + size;
  }

  File& file_;
  std::vector<char> buffer_;
  std::vector<char> scratch_;
  std::int64_t end_ = 0;  // where the file position will be once the buffer is written
  File* copySource_ = nullptr;  // a copy not yet made: copySize_ bytes from copyFrom_ to copyTo_
  std::int64_t copyTo_ = 0;
  std::int64_t copyFrom_ = 0;
  std::int64_t copySize_ = 0;
};

void CheckLayout(const WadArchive& wad, const std::string& path, std::int32_t count) {
  if (count < 0) Refuse(path, "the entry count is negative (" + std::to_string(count) + ")");
  const auto n = static_cast<std::size_t>(count);
  if (wad.Entries.size() < n || wad.Payloads.size() < n) {
    Refuse(path, "it should hold " + std::to_string(count) + " entries, but there are " +
                     std::to_string(wad.Entries.size()) + " records and " + std::to_string(wad.Payloads.size()) +
                     " data blocks in memory");
  }
  const std::int64_t directoryEnd = DirectoryEnd(count);
  for (std::size_t i = 0; i < n; ++i) {
    const WadDirEntry& entry = wad.Entries[i];
    const auto which = [&] { return "entry " + std::to_string(i) + " " + Quoted(entry); };
    if (entry.Offset < 0) Refuse(path, which() + " has a negative offset (" + std::to_string(entry.Offset) + ")");
    if (entry.Size < 0) Refuse(path, which() + " has a negative size (" + std::to_string(entry.Size) + ")");
    if (!wad.IsLeftInFile(i) && wad.Payloads[i].size() != static_cast<std::size_t>(entry.Size)) {
      Refuse(path, which() + " claims " + std::to_string(entry.Size) + " bytes but holds " +
                       std::to_string(wad.Payloads[i].size()));
    }
    if (entry.Size > 0 && entry.Offset < directoryEnd) {
      Refuse(path, which() + " would put its data at offset " + std::to_string(entry.Offset) +
                       ", inside the header and directory, which end at " + std::to_string(directoryEnd));
    }
  }
}

// The archive whose data an update left in place, checked to still hold it: a
// file cut short since the load must not give a rebuilt archive short entries.
std::optional<File> OpenDataLeftInFile(const WadArchive& wad, std::size_t n) {
  bool any = false;
  for (std::size_t i = 0; i < n && !any; ++i) any = wad.IsLeftInFile(i) && wad.Entries[i].Size > 0;
  if (!any) return std::nullopt;
  File file = File::OpenForReading(wad.DataFile);
  const std::int64_t length = file.Size();
  for (std::size_t i = 0; i < n; ++i) {
    if (wad.IsLeftInFile(i) && wad.Entries[i].Size > 0 && wad.DataLeftInFile[i] + wad.Entries[i].Size > length) {
      Malformed(wad.DataFile, "it changed since it was loaded: entry " + std::to_string(i) + " " +
                                  Quoted(wad.Entries[i]) + " no longer lies inside it");
    }
  }
  return file;
}

}  // namespace

std::string EntryName(const WadDirEntry& entry) {
  const void* nul = std::memchr(entry.Name, '\0', kWadNameSize);
  const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - entry.Name) : kWadNameSize;
  return std::string(entry.Name, length);
}

void SetEntryName(WadDirEntry& entry, std::string_view name) {
  if (name.size() > kWadNameSize) {
    throw RefusedError("The entry name " + std::string(name) + " is " + std::to_string(name.size()) +
                       " bytes long; an archive holds names of at most 128 bytes.");
  }
  // A NUL would end the name early and silently store another one.
  if (name.find('\0') != std::string_view::npos) {
    throw RefusedError("An entry name cannot hold a NUL byte.");
  }
  std::memset(entry.Name, 0, kWadNameSize);
  std::memcpy(entry.Name, name.data(), name.size());
}

void WadArchive::ResizeEntries(std::size_t n) { Entries.resize(n, WadDirEntry{}); }

void WadArchive::ResizePayloads(std::size_t n) {
  Payloads.resize(n);
  if (!DataLeftInFile.empty()) DataLeftInFile.resize(n, -1);
}

void WadArchive::SetPayload(std::size_t i, std::string data) {
  Payloads[i] = std::move(data);
  if (i < DataLeftInFile.size()) DataLeftInFile[i] = -1;
}

namespace {

// An open archive with its count and directory read, and checked as far as the
// caller asks.
struct OpenedArchive {
  File file;
  std::int32_t count;
  std::vector<WadDirEntry> entries;
};

OpenedArchive OpenArchive(const std::string& path, EntryChecks checks) {
  return ConcerningFile(path, [&] {
    File file = File::OpenForReading(path);
    const std::int64_t fileLength = file.Size();
    const std::int32_t count = ReadCount(file, path, fileLength);
    std::vector<WadDirEntry> entries = ReadDirectory(file, count);
    CheckEntries(entries, path, fileLength, checks);
    return OpenedArchive{std::move(file), count, std::move(entries)};
  });
}

}  // namespace

void LoadWadDirectory(WadArchive& wad, const std::string& path) {
  OpenedArchive archive = OpenArchive(path, EntryChecks::None);
  ConcerningFile(path, [&] { archive.file.Close(); });
  wad.Count = archive.count;
  wad.Entries = std::move(archive.entries);
}

void LoadWadArchive(WadArchive& wad, const std::string& path) {
  OpenedArchive archive = OpenArchive(path, EntryChecks::InFileAndMemory);

  // The data of the archive loaded before is never needed again: let it go now,
  // so a run over several archives holds one archive's data at a time, not two.
  std::vector<std::string>().swap(wad.Payloads);
  std::vector<std::string> payloads(archive.entries.size());
  ConcerningFile(path, [&] {
    for (std::size_t i = 0; i < archive.entries.size(); ++i) {
      const WadDirEntry& entry = archive.entries[i];
      if (entry.Size == 0) continue;
      payloads[i].resize(static_cast<std::size_t>(entry.Size));
      archive.file.ReadAt(entry.Offset, payloads[i].data(), payloads[i].size());
    }
    archive.file.Close();
  });

  wad.Count = archive.count;
  wad.Entries = std::move(archive.entries);
  wad.Payloads = std::move(payloads);
  wad.DataFile.clear();
  wad.DataLeftInFile.clear();
}

void LoadWadArchiveLazily(WadArchive& wad, const std::string& path) {
  // Nothing of the data is held, so entries that share bytes cost nothing here;
  // the rewrite puts each byte of the new archive down once, however many
  // entries claim it, and the update bounds that archive by the format's limit.
  OpenedArchive archive = OpenArchive(path, EntryChecks::InFile);
  ConcerningFile(path, [&] { archive.file.Close(); });

  std::vector<std::int64_t> left(archive.entries.size());
  for (std::size_t i = 0; i < archive.entries.size(); ++i) left[i] = archive.entries[i].Offset;
  wad.Count = archive.count;
  wad.Entries = std::move(archive.entries);
  wad.Payloads.assign(left.size(), std::string());
  wad.DataFile = path;
  wad.DataLeftInFile = std::move(left);
}

std::string ReadWadEntry(const WadArchive& wad, const std::string& path, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= wad.Entries.size()) {
    throw RefusedError("The archive " + DisplayPath(path) + " has no entry " + std::to_string(index) + " in the directory last read (" +
                       std::to_string(wad.Entries.size()) + " entries).");
  }
  const WadDirEntry& entry = wad.Entries[static_cast<std::size_t>(index)];
  return ConcerningFile(path, [&] {
    File file = File::OpenForReading(path);
    // The directory may be older than the file, so the entry is checked against
    // the file as it is now.
    CheckEntryInFile(entry, index, path, file.Size());
    std::string data(static_cast<std::size_t>(entry.Size), '\0');
    if (!data.empty()) file.ReadAt(entry.Offset, data.data(), data.size());
    file.Close();
    return data;
  });
}

namespace {

void WriteArchive(const WadArchive& wad, const std::string& path, std::size_t n, std::optional<File>& dataFile,
                  const std::function<void(File&)>& beforeCommit) {
  const auto count = static_cast<std::int32_t>(n);

  ReplacementFile replacement(path);
  RunWriter writer(replacement.file());
  writer.Put(0, reinterpret_cast<const char*>(&count), sizeof count);
  if (n > 0) writer.Put(kWadHeaderSize, reinterpret_cast<const char*>(wad.Entries.data()), n * sizeof(WadDirEntry));

  // Data in file order, each byte once: where regions share bytes, only what the
  // entry later in the directory leaves showing of the others is written.
  for (const DataPiece& piece : VisiblePieces(wad.Entries, n)) {
    const std::size_t i = piece.entry;
    if (wad.IsLeftInFile(i)) {
      writer.Copy(piece.position, *dataFile, wad.DataLeftInFile[i] + piece.from, piece.size);
    } else {
      writer.Put(piece.position, wad.Payloads[i].data() + piece.from, static_cast<std::size_t>(piece.size));
    }
  }
  writer.Flush();
  // A history reads the new archive back for its identity while the system
  // writes it to the disk, instead of after.
  if (beforeCommit) replacement.SyncWhile([&] { beforeCommit(replacement.file()); });
  // The old archive is usually the very file being replaced, and Windows does
  // not replace a file that is still open without delete sharing, as every file
  // of the program is opened.
  if (dataFile) dataFile->Close();
  replacement.Commit();
}

}  // namespace

void RebuildWad(const WadArchive& wad, const std::string& path, std::int32_t count,
                const std::function<void(File&)>& beforeCommit) {
  CheckLayout(wad, path, count);
  const auto n = static_cast<std::size_t>(count);

  std::optional<File> dataFile = ConcerningFile(wad.DataFile, [&] { return OpenDataLeftInFile(wad, n); });
  // A failure from here on concerns the archive being written (which the data
  // left in a file usually comes from too).
  ConcerningFile(path, [&] { WriteArchive(wad, path, n, dataFile, beforeCommit); });
}

std::string ContentsRow(const WadDirEntry& entry, std::int32_t index) {
  const std::string name = EntryName(entry);
  // Appended in place: one row per entry of archives of 100,000 entries.
  std::string row = Patchname(name);
  row += ';';
  row += Path(name);
  row += ';';
  row += std::to_string(entry.Size);
  row += ';';
  row += std::to_string(index);
  return row;
}

void CreateFileList(WadArchive& wad, const std::string& archiveText, ContentsList& list) {
  if (archiveText.starts_with("..") || !FileExists(archiveText)) return;
  list.SetRows({});
  LoadWadDirectory(wad, archiveText);
  std::vector<std::string> rows;
  rows.reserve(wad.Entries.size());
  for (std::size_t i = 0; i < wad.Entries.size(); ++i) {
    rows.push_back(ContentsRow(wad.Entries[i], static_cast<std::int32_t>(i)));
  }
  list.SetRows(std::move(rows));
}

}  // namespace skarvel
