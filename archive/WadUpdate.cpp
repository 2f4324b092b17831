#include "archive/WadUpdate.h"

#include <ctime>
#include <utility>

#include "archive/UpdateLayout.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/GameFolder.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "host/TimeText.h"

namespace skarvel {
namespace {

const std::string kMaxPositionText = std::to_string(kWadMaxPosition);

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
// A file on the disk as a message names it; entry names keep their "\\".
std::string QuotedPath(const std::string& path) { return Quoted(DisplayPath(path)); }

[[noreturn]] void Refuse(const std::string& archivePath, const std::string& why) {
  throw RefusedError("The update of " + QuotedPath(archivePath) + " was refused: " + why +
                     ". The archive was left as it was.");
}

void CheckSourceSize(const std::string& archivePath, const std::string& source, std::int64_t size) {
  if (size > kWadMaxPosition) {
    Refuse(archivePath, "the file " + QuotedPath(source) + " is " + std::to_string(size) +
                            " bytes long, more than the " + kMaxPositionText + " bytes an entry can hold");
  }
}

void CheckEntryName(const std::string& archivePath, const std::string& source, const std::string& name) {
  if (name.size() > kWadNameSize) {
    Refuse(archivePath, "the file " + QuotedPath(source) + " would be added as the entry " + Quoted(name) + ", which is " +
                            std::to_string(name.size()) + " bytes long; an entry name holds at most " +
                            std::to_string(kWadNameSize) + " bytes");
  }
}

// The archive that the steps so far make must still be one that the format can
// describe and that the rebuild will write.
void CheckLayoutLimits(const std::string& archivePath, const std::string& source, const UpdateLayout& layout) {
  if (layout.Length() <= kWadMaxPosition && layout.HighestOffset() <= kWadMaxPosition && layout.LowestOffset() >= 0 &&
      layout.LowestDataOffset() >= layout.DirectoryEnd()) {
    return;  // the common case, checked once per source file without building any text
  }
  const std::string with = "with the file " + QuotedPath(source) + " ";
  if (layout.Length() > kWadMaxPosition) {
    Refuse(archivePath, with + "the archive would be " + std::to_string(layout.Length()) +
                            " bytes long, more than the " + kMaxPositionText + " bytes an archive can hold");
  }
  if (layout.HighestOffset() > kWadMaxPosition) {
    Refuse(archivePath, with + "an entry would lie at offset " + std::to_string(layout.HighestOffset()) +
                            ", beyond the " + kMaxPositionText + " bytes an archive can address");
  }
  if (layout.LowestOffset() < 0) {
    Refuse(archivePath, with + "an entry would move to offset " + std::to_string(layout.LowestOffset()) +
                            ", before the start of the file (its data overlaps other entries)");
  }
  if (layout.LowestDataOffset() < layout.DirectoryEnd()) {
    Refuse(archivePath, with + "the data of an entry would lie at offset " +
                            std::to_string(layout.LowestDataOffset()) + ", inside the directory, which ends at " +
                            std::to_string(layout.DirectoryEnd()) + " (its data overlaps other entries)");
  }
}

// An empty entry that points into the middle of another entry's data (only a
// damaged or hand-made archive has one) has no place where its new bytes could
// go without landing on that data: refused, before anything is written, instead
// of losing either. Entries that merely share its offset have moved out of the
// way already.
void CheckFilledEntry(const std::string& archivePath, const std::string& source, const UpdateLayout& layout,
                      std::int32_t index, std::int64_t oldSize) {
  if (oldSize != 0 || layout.SizeOf(index) == 0) return;
  const std::int32_t other = layout.DataCovering(index);
  if (other < 0) return;
  Refuse(archivePath, "the file " + QuotedPath(source) + " would give bytes to the empty entry " + std::to_string(index) +
                          ", whose offset " + std::to_string(layout.OffsetOf(index)) +
                          " lies in the data of entry " + std::to_string(other) +
                          "; the two would overwrite each other");
}

// A directory loaded without its data has not been checked against the file; a
// plan over negative numbers would describe an archive the run cannot load.
void CheckDirectory(const std::string& archivePath, const std::vector<WadDirEntry>& entries, std::int32_t count) {
  if (count < 0 || entries.size() < static_cast<std::size_t>(count)) {
    throw FormatError("The archive " + DisplayPath(archivePath) + " is damaged: its entry count (" + std::to_string(count) +
                      ") does not match its directory.");
  }
  for (std::int32_t i = 0; i < count; ++i) {
    const WadDirEntry& entry = entries[static_cast<std::size_t>(i)];
    if (entry.Offset < 0 || entry.Size < 0) {
      throw FormatError("The archive " + DisplayPath(archivePath) + " is damaged: entry " + std::to_string(i) + " " +
                        Quoted(EntryName(entry)) + " has a negative offset or size.");
    }
  }
}

// The size of a source file as its open found it, refused when the format could
// not hold it.
std::int64_t SourceSize(const File& file, const std::string& archivePath, const std::string& source) {
  const std::int64_t size = file.LengthAtOpen();
  CheckSourceSize(archivePath, source, size);
  return size;
}

// A replaced file loses its attributes so that a read-only file can be opened.
// Only the read-only attribute stands in the way of the open, so the open comes
// first and the attributes are cleared when it is refused for that reason: the
// file is then looked up by its path once, not three times.
File OpenClearingReadOnly(const std::string& path) {
  try {
    return File::OpenExisting(path);
  } catch (const IoError& error) {
    if (error.code() != 5 || (GetFileAttributes(path) & kAttrReadOnly) == 0) throw;
  }
  SetFileAttributes(path, 0);
  return File::OpenExisting(path);
}

std::string ReadAll(File& file, std::int64_t size) {
  std::string data(static_cast<std::size_t>(size), '\0');
  if (size > 0) file.Read(data.data(), data.size());
  return data;
}

void ShowProgress(ProgressSink& progress, const std::string& archiveName, std::size_t done, std::size_t total) {
  const std::size_t percent = done * 100 / total;
  progress.SetCaption("Updating " + archiveName + " : " + std::to_string(percent) + "%");
  progress.SetPosition(static_cast<std::uint8_t>(percent));
  progress.Repaint();
}

// Carries out a plan on the loaded archive, reading each source file as its turn
// comes. The layout follows the sizes the files have now, and is checked again
// before each file is read, so a file that grew since it was planned is refused
// before its data is held. The archive file is not touched here: a failure
// leaves it as it was.
void ApplyPlan(WadArchive& wad, const UpdatePlan& plan, ProgressSink& progress) {
  const std::string& archivePath = plan.archivePath;
  UpdateLayout layout(wad.Entries, wad.Count, plan.steps.size());
  wad.Entries.reserve(static_cast<std::size_t>(plan.resultCount));
  wad.Payloads.reserve(static_cast<std::size_t>(plan.resultCount));
  const std::string archiveName = Patchname(archivePath);

  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const UpdateStep& step = plan.steps[i];
    if (step.kind == UpdateStep::Kind::Replace) {
      std::string data = ConcerningFile(step.source, [&] {
        // Once read, the file keeps the archive attribute alone.
        File file = OpenClearingReadOnly(step.source);
        const std::int64_t size = SourceSize(file, archivePath, step.source);
        const std::int64_t oldSize = layout.SizeOf(step.index);
        layout.Replace(step.index, size);
        CheckFilledEntry(archivePath, step.source, layout, step.index, oldSize);
        CheckLayoutLimits(archivePath, step.source, layout);
        std::string read = ReadAll(file, size);
        file.SetAttributes(kAttrArchive);
        file.Close();
        return read;
      });
      wad.SetPayload(static_cast<std::size_t>(step.index), std::move(data));
    } else {
      wad.Count += 1;
      wad.ResizeEntries(static_cast<std::size_t>(wad.Count));
      wad.ResizePayloads(static_cast<std::size_t>(wad.Count));
      std::string data = ConcerningFile(step.source, [&] {
        File file = File::OpenExisting(step.source);
        const std::int64_t size = SourceSize(file, archivePath, step.source);
        layout.Append(size);
        CheckLayoutLimits(archivePath, step.source, layout);
        std::string read = ReadAll(file, size);
        file.Close();
        return read;
      });
      const std::int32_t index = wad.Count - 1;
      SetEntryName(wad.Entries[static_cast<std::size_t>(index)], step.entryName);
      wad.SetPayload(static_cast<std::size_t>(index), std::move(data));
    }
    ShowProgress(progress, archiveName, i + 1, plan.steps.size());
  }
  layout.Store(wad.Entries);
}

history::PatchChanges ChangesOf(const UpdatePlan& plan) {
  history::PatchChanges changes;
  for (const UpdateStep& step : plan.steps) {
    if (step.kind == UpdateStep::Kind::Replace) {
      changes.replaced.push_back({step.index, step.entryName, step.oldSize, step.newSize});
    } else {
      changes.appended.push_back({step.index, step.entryName, step.newSize});
    }
  }
  return changes;
}

std::string TrackArchivePath(const std::string& gameFolder, std::size_t k) {
  return gameFolder + "\\" + TrackNames[k] + ".wad";
}


// Clears the all-tracks flag on every way out of a run, an error included.
class AllTracksReset {
 public:
  explicit AllTracksReset(bool& flag) : flag_(flag) {}
  ~AllTracksReset() { flag_ = false; }
  AllTracksReset(const AllTracksReset&) = delete;
  AllTracksReset& operator=(const AllTracksReset&) = delete;

 private:
  bool& flag_;
};

void UpdateArchive(AppState& state, Workbench& bench, const UpdateOptions& options, const std::string& archivePath,
                   const std::string& sourceText) {
  // The archive is read for reading only, so a read-only one would get as far
  // as its rewrite; it is refused before anything is read or written instead.
  if (const std::string why = ReadOnlyReason(archivePath); !why.empty()) {
    Refuse(archivePath, "the archive is read-only (" + why + ")");
  }
  if (options.dryRun) {
    // Loaded with the checks of the real run, so that an archive the real run
    // refuses (data outside the file, overlaps claiming too much) is refused
    // here too instead of getting a plan; into an archive of its own, so that
    // the shared one keeps the directory that the contents list shows.
    WadArchive directory;
    LoadWadArchiveLazily(directory, archivePath);
    const UpdatePlan plan =
        PlanUpdate(archivePath, directory.Entries, directory.Count, sourceText, state.sources, FileSizeOf);
    if (options.onPlan) options.onPlan(plan);
    return;
  }
  // The entries the sources do not change stay in the file until the rewrite
  // copies them, so the run holds only the sources' data.
  LoadWadArchiveLazily(state.wad, archivePath);
  const UpdatePlan plan =
      PlanUpdate(archivePath, state.wad.Entries, state.wad.Count, sourceText, state.sources, FileSizeOf);
  if (options.onPlan) options.onPlan(plan);
  std::optional<history::ArchiveBefore> before;
  if (options.history != nullptr) before = history::TakeBefore(state.wad, archivePath);
  ApplyPlan(state.wad, plan, bench.Progress());
  if (!before) {
    RebuildWad(state.wad, archivePath, state.wad.Count);
    return;
  }
  // The patch is on the disk, with the identity of the archive written, before
  // that archive replaces the old one, and takes its number after: a crash
  // between the two is settled by the next read.
  // What an earlier crash left is settled before this patch takes its place.
  options.history->Prepare(archivePath);
  history::Patch patch = history::MakePatch(archivePath, *before, state.wad, ChangesOf(plan), sourceText,
                                            options.origin,
                                            [&] { return options.history->KeepOldWhole(archivePath); });
  std::optional<history::HistoryStore::Pending> pending;
  RebuildWad(state.wad, archivePath, state.wad.Count, [&](File& written) {
    patch.after = history::IdentityOf(written).value_or(history::ArchiveIdentity{});
    pending.emplace(options.history->Begin(patch));
  });
  pending->Commit();
  options.history->NoteRun(patch);
}

}  // namespace

bool EndsInWad(const std::string& text) { return text.size() >= 3 && text.compare(text.size() - 3, 3, "wad") == 0; }

std::vector<std::string> WadPathList(const std::string& gameFolder) {
  std::vector<std::string> paths;
  paths.reserve(TrackNames.size());
  for (std::size_t k = 0; k < TrackNames.size(); ++k) paths.push_back(TrackArchivePath(gameFolder, k));
  return paths;
}

UpdatePlan PlanUpdate(const std::string& archivePath, const std::vector<WadDirEntry>& entries, std::int32_t count,
                      const std::string& sourceText, const SourceList& sources, const SourceSizeFunction& sizeOf) {
  CheckDirectory(archivePath, entries, count);
  UpdatePlan plan;
  plan.archivePath = archivePath;
  plan.steps.reserve(sources.size());
  EntryMatcher matcher(entries, count);
  UpdateLayout layout(entries, count, sources.size());
  std::vector<std::string> appendedNames;

  for (const std::string& source : sources) {
    UpdateStep step;
    step.source = source;
    step.identity = IdentifySource(sourceText, source);
    step.newSize = ConcerningFile(source, [&] { return sizeOf(source); });
    CheckSourceSize(archivePath, source, step.newSize);
    const std::int32_t match = matcher.FirstMatch(step.identity);
    if (match >= 0) {
      step.kind = UpdateStep::Kind::Replace;
      step.index = match;
      step.entryName = match < count ? EntryName(entries[static_cast<std::size_t>(match)])
                                     : appendedNames[static_cast<std::size_t>(match - count)];
      step.oldSize = layout.SizeOf(match);
      layout.Replace(match, step.newSize);
      CheckFilledEntry(archivePath, source, layout, match, step.oldSize);
    } else {
      step.kind = UpdateStep::Kind::Append;
      step.entryName = AppendedEntryName(archivePath, step.identity.key);
      CheckEntryName(archivePath, source, step.entryName);
      step.index = layout.Append(step.newSize);
      matcher.Add(step.entryName, step.index);
      appendedNames.push_back(step.entryName);
    }
    CheckLayoutLimits(archivePath, source, layout);
    plan.steps.push_back(std::move(step));
  }
  // Without a source file no step has checked the layout, yet the rebuild still
  // refuses data that reaches into the directory; the plan must refuse it too.
  if (plan.steps.empty() && layout.LowestDataOffset() < layout.DirectoryEnd()) {
    Refuse(archivePath, "the data of an entry lies at offset " + std::to_string(layout.LowestDataOffset()) +
                            ", inside the directory, which ends at " + std::to_string(layout.DirectoryEnd()));
  }
  plan.resultCount = layout.Count();
  plan.resultLength = layout.Length();
  return plan;
}

bool Update1wad(AppState& state, Workbench& bench, const UpdateOptions& options) {
  const Stopwatch stopwatch;
  AllTracksReset reset(state.allTracks);
  const bool allTracks = state.allTracks;
  const std::string source = bench.SourceText();
  const std::string archiveText = bench.ArchiveText();

  // An empty text would enumerate the whole root folder of the drive.
  if (source == messages::kNoSourceChosen || source.empty()) {
    bench.ShowMessage(messages::kChooseSourceFirst);
    return false;
  }
  if (!allTracks) {
    if (archiveText.empty()) {
      bench.ShowMessage(messages::kChooseWadFirst);
      return false;
    }
    if (!EndsInWad(archiveText)) {
      bench.ShowMessage(messages::kNotAWadFile);
      return false;
    }
    if (!FileExists(archiveText)) {
      bench.ShowMessage(messages::kWadPathMistake);
      return false;
    }
    if (!options.dryRun) state.settings.WriteString("WadName", archiveText);
  }
  if (!FillSourceList(source, state.sources, [&bench](const std::string& text) { bench.ShowMessage(text); })) {
    return false;
  }
  if (!state.commandLineMode && !options.dryRun) state.settings.WriteString("FileName", source);

  ProgressSink& progress = bench.Progress();
  const std::size_t archives = allTracks ? TrackNames.size() : 1;
  for (std::size_t k = 0; k < archives; ++k) {
    // The game folder is looked up again for every track, as the list is
    // computed element by element.
    std::string archivePath = archiveText;
    if (allTracks) {
      const std::string gameFolder =
          options.gameFolder ? *options.gameFolder : GetPath(state.registry, state.gameFolderFound);
      archivePath = TrackArchivePath(gameFolder, k);
    }
    UpdateArchive(state, bench, options, archivePath, source);
    if (allTracks && !options.dryRun) progress.SetPosition(0);
  }
  if (options.dryRun) return true;

  progress.SetPosition(0);
  progress.SetCaption(stopwatch.Caption("Update done in "));
  state.allTracks = false;
  CreateFileList(state.wad, bench.ArchiveText(), bench.Contents());
  return true;
}

UpdateOptions RecordedUpdate(const AppState& state, std::string how, std::string package) {
  UpdateOptions options;
  if (state.history) options.history = &*state.history;
  // The steps of one package's installation, each a process of its own, make one run.
  std::string run;
  if (state.history && !package.empty()) {
    run = state.history->RunToContinue(package, static_cast<std::int64_t>(std::time(nullptr)));
  }
  options.origin = {run.empty() ? history::NewRunId() : std::move(run), std::move(how), std::move(package)};
  return options;
}

bool UpdateWads(AppState& state, Workbench& bench, const UpdateOptions& options) {
  state.allTracks = true;
  return Update1wad(state, bench, options);
}

}  // namespace skarvel
