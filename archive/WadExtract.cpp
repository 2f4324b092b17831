#include "archive/WadExtract.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "archive/EntryNames.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "host/TimeText.h"

namespace skarvel {

namespace {

// An entry is read and written in pieces of at most this size: one read and one
// write for nearly every entry, and a bounded buffer for a huge one.
constexpr std::int64_t kChunkSize = std::int64_t{16} << 20;

// The archive's file name without its four-character extension, as the proposed
// folder name: "cars" for "cars.wad".
std::string BaseName(const std::string& archive) {
  std::string name = Patchname(archive);
  return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

// Checks the whole directory before the first file is written, so that a hostile
// or damaged archive leaves the target folder as it was.
void CheckDirectory(const std::vector<WadDirEntry>& entries, std::size_t count, const std::string& archive,
                    std::int64_t fileLength) {
  std::vector<std::string> names;
  names.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const WadDirEntry& entry = entries[i];
    const std::string name = EntryName(entry);
    names.push_back(name);
    if (auto reason = UnsafeEntryNameReason(name)) {
      throw RefusedError("The wad file " + DisplayPath(archive) + " holds the entry " + QuotedEntryName(name) +
                         ", which cannot be extracted safely: " + *reason + ". Nothing was extracted.");
    }
    const std::int64_t end = std::int64_t{entry.Offset} + entry.Size;
    if (entry.Offset < 0 || entry.Size < 0 || (entry.Size > 0 && end > fileLength)) {
      throw FormatError("The wad file " + DisplayPath(archive) + " is damaged: the entry " + QuotedEntryName(name) + " claims " +
                        std::to_string(entry.Size) + " bytes at offset " + std::to_string(entry.Offset) +
                        ", but the file is " + std::to_string(fileLength) + " bytes long. Nothing was extracted.");
    }
  }
  if (auto clash = NameUsedAsFolder(names, HostEntryNameRules())) {
    throw RefusedError("The wad file " + DisplayPath(archive) + " holds the entry " + QuotedEntryName(*clash) +
                       " both as a file and as the folder of other entries, which cannot both exist on disk. "
                       "Nothing was extracted.");
  }
}

// Puts Count back whatever happens: extract all keeps the entry count to itself.
class CountKeeper {
 public:
  explicit CountKeeper(WadArchive& wad) : wad_(wad), count_(wad.Count) {}
  ~CountKeeper() { wad_.Count = count_; }
  CountKeeper(const CountKeeper&) = delete;
  CountKeeper& operator=(const CountKeeper&) = delete;

 private:
  WadArchive& wad_;
  std::int32_t count_;
};

std::optional<std::int32_t> ParseIndex(const std::string& text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [last, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || last != end || text.empty()) return std::nullopt;
  return value;
}

// Whether the selected row still names the record it was listed from: the
// directory in memory must be the one in the archive file now, and the row must
// describe that record. Gives the message to show when not.
std::optional<std::string> RowRefusal(const WadArchive& wad, const std::string& archive, ContentsList& contents,
                                      std::int32_t& index) {
  const std::optional<std::int32_t> parsed = ParseIndex(contents.SelectedRowField(3));
  if (!parsed || *parsed < 0 || static_cast<std::size_t>(*parsed) >= wad.Entries.size()) return kRowOutsideDirectory;
  index = *parsed;

  WadArchive current;
  LoadWadDirectory(current, archive);
  const bool sameDirectory =
      current.Entries.size() == wad.Entries.size() &&
      (wad.Entries.empty() ||
       std::memcmp(current.Entries.data(), wad.Entries.data(), wad.Entries.size() * sizeof(WadDirEntry)) == 0);
  if (!sameDirectory) return kRowFromOtherListing;

  std::string row = contents.SelectedRowField(0);
  for (int k = 1; k < 4; ++k) {
    row += ';';
    row += contents.SelectedRowField(k);
  }
  if (row != ContentsRow(wad.Entries[static_cast<std::size_t>(index)], index)) return kRowFromOtherListing;
  return std::nullopt;
}

}  // namespace

void ExtractAllEntries(WadArchive& wad, const std::string& archive, const std::string& target,
                       ProgressSink& progress) {
  std::size_t count = 0;
  {
    CountKeeper keeper(wad);
    LoadWadDirectory(wad, archive);
    count = static_cast<std::size_t>(wad.Count);
  }
  File file = ConcerningFile(archive, [&] { return File::OpenForReading(archive); });
  CheckDirectory(wad.Entries, count, archive, ConcerningFile(archive, [&] { return file.Size(); }));

  std::int64_t largest = 0;
  for (std::size_t i = 0; i < count; ++i) largest = std::max<std::int64_t>(largest, wad.Entries[i].Size);
  // Not zero-filled: every byte is read before it is written out.
  const auto bufferSize = static_cast<std::size_t>(std::min(largest, kChunkSize));
  std::unique_ptr<char[]> buffer(new char[std::max<std::size_t>(bufferSize, 1)]);

  ConfinedFolder folder(target);
  for (std::size_t i = 0; i < count; ++i) {
    const auto percent = static_cast<int>(i * 100 / count);
    progress.SetCaption("Extracting files : " + std::to_string(percent) + "%");
    progress.SetPosition(static_cast<std::uint8_t>(percent));

    const WadDirEntry& entry = wad.Entries[i];
    const std::string name = EntryName(entry);
    const std::string written = (!target.empty() && target.back() == '\\' ? target : target + "\\") + name;
    std::int64_t position = entry.Offset;
    std::int64_t left = entry.Size;
    // A failure names the file it concerns: the archive read or the file written.
    auto read = [&](std::size_t piece) {
      if (piece > 0) ConcerningFile(archive, [&] { file.ReadAt(position, buffer.get(), piece); });
    };
    // The data is read before the file is made, so a failed read creates nothing.
    auto piece = static_cast<std::size_t>(std::min(left, kChunkSize));
    read(piece);
    ConfinedFile out = ConcerningFile(written, [&] { return folder.Create(name); });
    while (piece > 0) {
      ConcerningFile(written, [&] { out.Write(buffer.get(), piece); });
      position += static_cast<std::int64_t>(piece);
      left -= static_cast<std::int64_t>(piece);
      piece = static_cast<std::size_t>(std::min(left, kChunkSize));
      read(piece);
    }
    ConcerningFile(written, [&] { out.Close(); });
  }
  ConcerningFile(archive, [&] { file.Close(); });
}

void ExtractClick(AppState& state, Workbench& bench) {
  const std::string archive = bench.ArchiveText();
  if (!FileExists(archive)) {
    bench.ShowMessage(messages::kChooseWadFirst);
    return;
  }
  const std::string folder = state.settings.ReadString("ExtractPath", Path(archive));
  const std::string proposed = folder + BaseName(archive);
  state.settings.WriteString("WadName", archive);
  const std::optional<std::string> answer = bench.RunSaveDialog(proposed, "");
  if (answer) {
    const Stopwatch stopwatch;
    bench.RepaintWindow();
    ProgressSink& progress = bench.Progress();
    ExtractAllEntries(state.wad, archive, *answer, progress);
    progress.SetPosition(0);
    progress.SetCaption(stopwatch.Caption("Wad extracted in "));
  }
  // After a cancel the dialog still holds the proposed name.
  state.settings.WriteString("ExtractPath", Path(answer.value_or(proposed)));
}

void LMDFilesDblClick(AppState& state, Workbench& bench) {
  const std::string archive = bench.ArchiveText();
  if (!FileExists(archive)) {
    bench.ShowMessage(messages::kChooseWadFirst);
    return;
  }
  ContentsList& contents = bench.Contents();
  const std::string name = contents.SelectedRowField(0);
  const std::string folder = state.settings.ReadString("Extract1File", Path(archive));
  const std::string proposed = folder + name;
  const std::optional<std::string> answer = bench.RunSaveDialog(proposed, "");
  if (answer) {
    bench.RepaintWindow();
    std::int32_t index = 0;
    if (auto refusal = RowRefusal(state.wad, archive, contents, index)) {
      bench.ShowMessage(*refusal);
      return;
    }
    const std::string data = ReadWadEntry(state.wad, archive, index);
    // The chosen file is replaced only by a complete copy, so a failed write
    // leaves what the user had there.
    ConcerningFile(*answer, [&] {
      ReplacementFile out(*answer);
      out.file().Write(data.data(), data.size());
      out.Commit();
    });
    bench.Progress().SetCaption("File Saved");
  }
  state.settings.WriteString("Extract1File", Path(answer.value_or(proposed)));
}

}  // namespace skarvel
