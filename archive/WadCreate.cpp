#include "archive/WadCreate.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "host/TimeText.h"

namespace skarvel {

namespace {

// Source files are copied through a buffer of at most this size, so memory stays
// flat however large the files are.
constexpr std::int64_t kCopyBufferSize = std::int64_t{8} << 20;

// Every data byte must lie at a position that a signed 32-bit offset can name.
[[noreturn]] void RefuseTooLarge(const std::string& source, const std::string& file, std::int64_t end) {
  throw RefusedError("The files below " + DisplayPath(source) + " do not fit in one wad file: the data of " +
                     DisplayPath(file) +
                     " would end at byte " + std::to_string(end) + ", past the largest offset a wad file can hold (" +
                     std::to_string(kWadMaxPosition) + "). Nothing was written.");
}

// The names below the source folder, checked before anything is opened.
std::vector<std::string> EntryNames(const SourceList& sources, const std::string& source) {
  const std::string prefix = (!source.empty() && source.back() == '\\') ? source : source + "\\";
  std::vector<std::string> names;
  names.reserve(sources.size());
  for (const std::string& path : sources) {
    std::string name = path.starts_with(prefix) ? path.substr(prefix.size()) : path;
    if (name.size() > kWadNameSize) {
      throw RefusedError("The file " + DisplayPath(path) + " cannot be packed: its path below the source folder, " + name +
                         ", is " + std::to_string(name.size()) + " bytes long, and a wad file holds names of at most " +
                         std::to_string(kWadNameSize) + " bytes. Nothing was written.");
    }
    names.push_back(std::move(name));
  }
  return names;
}

std::int64_t DataStart(std::size_t count) { return kWadHeaderSize + kWadRecordSize * static_cast<std::int64_t>(count); }

// The sizes as the disk reports them now; checked again when each file is opened,
// as a file may grow in between.
void CheckTotalSize(const SourceList& sources, const std::string& source) {
  std::int64_t end = DataStart(sources.size());
  if (end > kWadMaxPosition) RefuseTooLarge(source, sources.back(), end);
  for (const std::string& path : sources) {
    end += ConcerningFile(path, [&] { return FileSizeOf(path); });
    if (end > kWadMaxPosition) RefuseTooLarge(source, path, end);
  }
}

// A failure names the file it concerns: the source read or the archive written.
void CopyInto(File& in, const std::string& inPath, File& out, const std::string& outPath, std::int64_t size,
              std::vector<char>& buffer) {
  while (size > 0) {
    const auto piece = static_cast<std::size_t>(std::min(size, kCopyBufferSize));
    if (buffer.size() < piece) buffer.resize(piece);
    ConcerningFile(inPath, [&] { in.Read(buffer.data(), piece); });
    ConcerningFile(outPath, [&] { out.Write(buffer.data(), piece); });
    size -= static_cast<std::int64_t>(piece);
  }
}

}  // namespace

void WriteNewArchive(WadArchive& wad, const SourceList& sources, const std::string& source,
                     const std::string& target, ProgressSink& progress) {
  const std::size_t count = sources.size();
  const std::vector<std::string> names = EntryNames(sources, source);
  CheckTotalSize(sources, source);

  wad.ResizeEntries(count);
  std::fill_n(wad.Entries.begin(), count, WadDirEntry{});

  // The directory goes in last, at position 4, once every size is known; the
  // bytes written are those of a directory followed by the packed data.
  ReplacementFile replacement = ConcerningFile(target, [&] { return ReplacementFile(target); });
  File& out = replacement.file();
  std::int64_t offset = DataStart(count);
  ConcerningFile(target, [&] { out.Seek(offset); });
  std::vector<char> buffer;
  for (std::size_t i = 0; i < count; ++i) {
    const auto percent = static_cast<int>((i + 1) * 100 / count);
    progress.SetCaption("Creating files : " + std::to_string(percent) + "%");
    progress.SetPosition(static_cast<std::uint8_t>(percent));

    WadDirEntry& entry = wad.Entries[i];
    SetEntryName(entry, names[i]);
    entry.Offset = static_cast<std::int32_t>(offset);
    File in = ConcerningFile(sources[i], [&] { return File::OpenExisting(sources[i]); });
    const std::int64_t size = in.LengthAtOpen();
    if (offset + size > kWadMaxPosition) RefuseTooLarge(source, sources[i], offset + size);
    entry.Size = static_cast<std::int32_t>(size);
    CopyInto(in, sources[i], out, target, size, buffer);
    ConcerningFile(sources[i], [&] { in.Close(); });
    offset += size;
  }

  std::vector<char> directory(static_cast<std::size_t>(DataStart(count)));
  const auto count32 = static_cast<std::int32_t>(count);
  std::memcpy(directory.data(), &count32, sizeof count32);  // records are held in file byte order too
  if (count > 0) std::memcpy(directory.data() + kWadHeaderSize, wad.Entries.data(), count * sizeof(WadDirEntry));
  ConcerningFile(target, [&] {
    out.Seek(0);
    out.Write(directory.data(), directory.size());
    replacement.Commit();
  });
  wad.Payloads.clear();
  wad.DataFile.clear();
  wad.DataLeftInFile.clear();
}

void LMDCreateWadClick(AppState& state, Workbench& bench) {
  const std::string source = bench.SourceText();
  // An empty text would walk the whole root folder of the drive.
  if (source.empty()) {
    bench.ShowMessage(messages::kChooseSourceFirst);
    return;
  }
  if (!FillSourceList(source, state.sources, [&bench](const std::string& text) { bench.ShowMessage(text); })) return;
  if (state.sources.size() < 2) {
    bench.ShowMessage(messages::kChooseSourceFolderFirst);
    return;
  }
  state.settings.WriteString("FileName", source);
  const std::optional<std::string> answer = bench.RunSaveDialog(Patchname(source) + ".wad", "Wad file(*.wad)|*.wad");
  if (!answer) return;
  const Stopwatch stopwatch;
  bench.RepaintWindow();
  ProgressSink& progress = bench.Progress();
  WriteNewArchive(state.wad, state.sources, source, *answer, progress);
  progress.SetPosition(0);
  progress.SetCaption(stopwatch.Caption("Wad created in "));
}

}  // namespace skarvel
