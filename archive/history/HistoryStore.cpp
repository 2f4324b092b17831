#include "archive/history/HistoryStore.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "archive/WadArchive.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"

namespace skarvel::history {
namespace {

constexpr char kPendingName[] = "pending.patch";
constexpr char kPendingOldName[] = "pending.old";
constexpr char kMarkName[] = "restore.mark";
constexpr char kRunNoteName[] = "newest.run";
constexpr std::int64_t kRunGap = 30 * 60;  // seconds between two steps of one installation

std::string ReadWhole(const std::string& path) {
  File file = File::OpenForReading(path);
  std::string bytes(static_cast<std::size_t>(file.LengthAtOpen()), '\0');
  if (!bytes.empty()) file.Read(bytes.data(), bytes.size());
  return bytes;
}

void WriteSynced(const std::string& path, const std::string& bytes) {
  File file = File::Create(path);
  file.Write(bytes.data(), bytes.size());
  file.Sync();
  file.Close();
}

std::string NumberedName(std::size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "%06zu.patch", number);
  return name;
}

// The numbered patch files of a folder, in number order.
std::vector<std::pair<std::size_t, std::string>> NumberedFiles(const std::string& folder) {
  std::vector<std::pair<std::size_t, std::string>> files;
  for (const DirectoryEntry& entry : SearchDirectory(folder, "*.patch")) {
    if (entry.isFolder || entry.name.size() != 12) continue;
    std::size_t number = 0;
    bool digits = true;
    for (std::size_t i = 0; i < 6; ++i) {
      digits = digits && std::isdigit(static_cast<unsigned char>(entry.name[i])) != 0;
      number = number * 10 + static_cast<std::size_t>(entry.name[i] - '0');
    }
    if (digits && number > 0) files.emplace_back(number, folder + "\\" + entry.name);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::optional<ArchiveIdentity> IdentityOf(File& file, std::uint32_t version) {
  ArchiveIdentity identity;
  identity.length = file.Size();
  std::int32_t count = 0;
  if (identity.length < 4) return std::nullopt;
  file.ReadAt(0, &count, 4);
  const std::int64_t headSize = kWadHeaderSize + static_cast<std::int64_t>(count) * kWadRecordSize;
  if (count < 0 || headSize > identity.length) return std::nullopt;
  std::string head(static_cast<std::size_t>(headSize), '\0');
  file.ReadAt(0, head.data(), head.size());
  identity.directory = Checksum(head);
  ContentChecksum content(version);
  std::string piece;
  for (std::int64_t at = headSize; at < identity.length; at += static_cast<std::int64_t>(ContentChecksum::kPiece)) {
    piece.resize(static_cast<std::size_t>(std::min<std::int64_t>(ContentChecksum::kPiece, identity.length - at)));
    file.ReadAt(at, piece.data(), piece.size());
    content.Add(piece);
  }
  identity.content = content.Value();
  return identity;
}

std::optional<ArchiveIdentity> IdentityOf(const std::string& path, std::uint32_t version) {
  try {
    File file = File::OpenForReading(path);
    return IdentityOf(file, version);
  } catch (const IoError&) {
    return std::nullopt;
  }
}

HistoryStore::HistoryStore(std::string root) : root_(std::move(root)) {}

std::optional<HistoryStore> HistoryStore::Default() {
  const std::string data = UserDataFolder();
  if (data.empty()) return std::nullopt;
  return HistoryStore(data + "\\history");
}

std::string ArchiveKey(const std::string& path) {
#ifdef _WIN32
  std::string key = ToLowerCp1252(path);
  for (char& c : key) c = c == '/' ? '\\' : c;
  return key;
#else
  return path;
#endif
}

std::string HistoryStore::FolderOf(const std::string& archive) const {
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(Checksum(ArchiveKey(archive))));
  return root_ + "\\" + name;
}

// A crash may have left a restore's mark (the archive restored or not) and a
// patch still pending (the archive replaced or not): the archive tells which.
void HistoryStore::Settle(const std::string& archive, const std::string& folder) const {
  const std::string mark = folder + "\\" + kMarkName;
  if (FileExists(mark)) {
    std::size_t first = 0;
    long long length = 0;
    unsigned long long directory = 0;
    const std::string text = ReadWhole(mark);
    const bool read = std::sscanf(text.c_str(), "%zu %lld %llx", &first, &length, &directory) == 3;
    const std::optional<ArchiveIdentity> now = IdentityOf(archive);
    const bool restored = read && first > 0 && now && now->length == length && now->directory == directory;
    std::vector<std::string> undone;
    for (const auto& [number, file] : NumberedFiles(folder)) {
      if (restored && number >= first) undone.push_back(file);
    }
    // A mark whose patches are not all gone stays for the next read.
    if (!restored || RemoveAll(std::move(undone))) RemoveFile(mark);
  }
  const std::string pending = folder + "\\" + kPendingName;
  const std::string pendingOld = folder + "\\" + kPendingOldName;
  if (!FileExists(pending)) {
    RemoveFile(pendingOld);  // linked, and the crash came before its patch was written
    return;
  }
  bool replaced = false;
  try {
    const Patch patch = DecodePatch(ReadWhole(pending), pending);
    replaced = IdentityOf(archive, patch.version) == patch.after;
  } catch (const FormatError&) {
    // Synced before the archive was replaced: a damaged one never was.
  }
  if (!replaced) {
    RemoveFile(pending);
    RemoveFile(pendingOld);
    return;
  }
  const auto files = NumberedFiles(folder);
  const std::string numbered = folder + "\\" + NumberedName(files.empty() ? 1 : files.back().first + 1);
  if (FileExists(pendingOld)) RenameFile(pendingOld, OldArchiveOf(numbered));
  RenameFile(pending, numbered);
}

std::string HistoryStore::OldArchiveOf(const std::string& patchFile) {
  return patchFile.substr(0, patchFile.size() - 6) + ".old";
}

bool HistoryStore::KeepOldWhole(const std::string& archive) const {
  const std::string folder = FolderOf(archive);
  const std::string name = folder + "\\" + kPendingOldName;
  RemoveFile(name);
  return LinkFile(archive, name);
}

std::vector<HistoryStore::Entry> HistoryStore::Read(const std::string& archive) const {
  const std::string folder = FolderOf(archive);
  std::vector<Entry> entries;
  if (!FolderExists(folder)) return entries;
  Settle(archive, folder);
  for (const auto& [number, file] : NumberedFiles(folder)) {
    Patch patch = DecodePatch(ReadWhole(file), file);
    if (patch.oldKeptWhole && (!FileExists(OldArchiveOf(file)) || FileSizeOf(OldArchiveOf(file)) != patch.oldLength)) {
      throw FormatError("The history file " + DisplayPath(file) + " is damaged: the old archive it keeps whole, " +
                        DisplayPath(OldArchiveOf(file)) + ", is missing or has another length.");
    }
    if (ArchiveKey(patch.archive) != ArchiveKey(archive)) {
      throw FormatError("The history file " + DisplayPath(file) + " belongs to another archive.");
    }
    entries.push_back({file, std::move(patch)});
  }
  return entries;
}

std::vector<std::string> HistoryStore::Archives() const {
  std::vector<std::string> archives;
  for (const DirectoryEntry& entry : SearchDirectory(root_, "*")) {
    if (!entry.isFolder || entry.name == "." || entry.name == "..") continue;
    const auto files = NumberedFiles(root_ + "\\" + entry.name);
    const std::string pending = root_ + "\\" + entry.name + "\\" + kPendingName;
    const std::string any = !files.empty() ? files.front().second : FileExists(pending) ? pending : std::string();
    if (any.empty()) continue;
    try {
      archives.push_back(DecodePatch(ReadWhole(any), any).archive);
    } catch (const FormatError&) {
      // Named by whoever reads that archive's history.
    }
  }
  std::sort(archives.begin(), archives.end());
  return archives;
}

HistoryStore::Pending::Pending(std::string pendingFile, std::string folder)
    : file_(std::move(pendingFile)), folder_(std::move(folder)) {}

HistoryStore::Pending::Pending(Pending&& other) noexcept
    : file_(std::move(other.file_)), folder_(std::move(other.folder_)) {
  other.file_.clear();
}

HistoryStore::Pending::~Pending() {
  if (file_.empty()) return;
  RemoveFile(file_);
  RemoveFile(folder_ + "\\" + kPendingOldName);
}

void HistoryStore::Pending::Commit() {
  // The archive is in place: from here on the pending file is never removed,
  // so that where its numbering fails the next read still finds it.
  const std::string file = std::move(file_);
  file_.clear();
  const auto files = NumberedFiles(folder_);
  const std::string numbered = folder_ + "\\" + NumberedName(files.empty() ? 1 : files.back().first + 1);
  const std::string pendingOld = folder_ + "\\" + kPendingOldName;
  if (FileExists(pendingOld)) RenameFile(pendingOld, OldArchiveOf(numbered));
  RenameFile(file, numbered);
}

// The note reads "RUN\nTIME\nPACKAGE": the package's key, which may hold any
// byte, comes last.
void HistoryStore::NoteRun(const Patch& patch) const noexcept {
  try {
    // Not synced: a note that a crash damaged reads as none.
    const std::string note = root_ + "\\" + kRunNoteName;
    const std::string text = patch.run + "\n" + std::to_string(patch.time) + "\n" +
                             (patch.package.empty() ? "" : ArchiveKey(patch.package));
    File file = File::Create(note + ".new");
    file.Write(text.data(), text.size());
    file.Close();
    RenameFile(note + ".new", note);
  } catch (const std::exception&) {
  }
}

std::string HistoryStore::RunToContinue(const std::string& folder, std::int64_t now) const {
  const std::string note = root_ + "\\" + kRunNoteName;
  std::string text;
  try {
    text = ReadWhole(note);
  } catch (const IoError&) {
    return {};  // no note, or one that another run is replacing: a new run
  }
  const std::size_t first = text.find('\n');
  const std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
  if (second == std::string::npos || first == 0) return {};
  std::int64_t time = 0;
  try {
    time = std::stoll(text.substr(first + 1, second - first - 1));
  } catch (const std::exception&) {
    return {};
  }
  if (text.substr(second + 1) != ArchiveKey(folder) || now < time || now - time >= kRunGap) return {};
  return text.substr(0, first);
}

void HistoryStore::Prepare(const std::string& archive) const {
  const std::string folder = FolderOf(archive);
  if (!ForceDirectories(folder)) {
    throw RefusedError("The history folder " + DisplayPath(folder) + " cannot be made, so the update of " +
                       DisplayPath(archive) + " was not made either. The archive was left as it was.");
  }
  Settle(archive, folder);
}

HistoryStore::Pending HistoryStore::Begin(const Patch& patch) const {
  const std::string folder = FolderOf(patch.archive);
  const std::string file = folder + "\\" + kPendingName;
  WriteSynced(file, EncodePatch(patch));
  return Pending(file, folder);
}

HistoryStore::RestoreMark HistoryStore::MarkRestore(const std::string& archive, std::size_t first,
                                                    const ArchiveIdentity& restored,
                                                    std::vector<std::string> undone) const {
  return RestoreMark(FolderOf(archive), first, restored, std::move(undone));
}

HistoryStore::RestoreMark::RestoreMark(std::string folder, std::size_t first, const ArchiveIdentity& restored,
                                       std::vector<std::string> undone)
    : file_(std::move(folder) + "\\" + kMarkName), undone_(std::move(undone)) {
  char text[96];
  std::snprintf(text, sizeof text, "%zu %lld %llx\n", first, static_cast<long long>(restored.length),
                static_cast<unsigned long long>(restored.directory));
  WriteSynced(file_, text);
}

HistoryStore::RestoreMark::~RestoreMark() {
  if (!finished_) RemoveFile(file_);
}

void HistoryStore::RestoreMark::Finish() {
  // The restored archive is in place: the mark stays until the undone patches
  // are gone, so that where their removal fails the next read removes them.
  finished_ = true;
  if (RemoveAll(undone_)) RemoveFile(file_);
}

// Newest first, so that a crash half-way leaves the older patches numbered on;
// true when every one is gone.
bool HistoryStore::RemoveAll(std::vector<std::string> files) {
  std::sort(files.rbegin(), files.rend());
  bool gone = true;
  for (const std::string& file : files) gone = RemoveFile(file) && RemoveFile(OldArchiveOf(file)) && gone;
  return gone;
}

std::int64_t HistoryStore::Forget(const std::string& archive) const {
  const std::string folder = FolderOf(archive);
  std::int64_t freed = 0;
  for (const DirectoryEntry& entry : SearchDirectory(folder, "*")) {
    if (entry.isFolder) continue;
    const std::string file = folder + "\\" + entry.name;
    freed += FileSizeOf(file);
    RemoveFile(file);
  }
  RemoveEmptyFolder(folder);
  return freed;
}

}  // namespace skarvel::history
