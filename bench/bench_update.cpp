// The update's speed and memory, against cp on the same data in the same run.
//
//   (a) 20,000 source files (256 MiB) into an archive of 20,000 entries, against
//       the same archive updated from an empty source folder plus tar reading
//       every source file, the two things the update cannot avoid doing (target:
//       at most 1.2x; with its history recorded, at most 1.3x); the bytes it
//       writes are shown, which the update of an archive of this layout fixes;
//   (b) one entry of a 1 GiB archive replaced, against cp of the archive (target:
//       at most 1.4x; cp followed by sync is shown too, since the rewrite is
//       flushed to the disk before it takes the archive's place);
//   (c) the peak memory of a process that only runs the update, against the
//       archive's size plus the largest source file plus 64 MiB;
//   (d) one entry of an archive of 20,000 entries (256 MiB) replaced, against cp
//       of the archive followed by sync of the copy (target: at most 1.1x), with
//       the system calls of one such patch (by strace, when it is installed) and
//       its peak memory beyond the directory (target: under 32 MiB); the same
//       copy renamed over the archive is shown too, since the update's rename
//       releases the old archive's blocks, which a copy to a fresh name never does;
//   (e) the same patch recorded in a history, and its restore, against cp, sync
//       and mv of the archive (target: at most 1.1x each), with the bytes the
//       patch's history takes on disk (target: under 3 MiB).
//
// Data goes to a fresh folder below SKARVEL_BENCH_DIR (default: the system's
// temporary folder) and is removed at the end. "--quick" makes everything small;
// the words many, large, patch and history run only those parts ((a), (b) and
// (c), (d), (e)).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/WadArchive.h"
#include "archive/WadUpdate.h"
#include "archive/Workbench.h"
#include "archive/history/Restore.h"
#include "host/Encoding.h"
#include "host/Registry.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using skarvel::AppState;
using skarvel::ContentsList;
using skarvel::ProgressSink;
using skarvel::Registry;
using skarvel::Workbench;

constexpr int kRepeats = 3;

// A main window that shows nothing: the update's own work is what is measured.
class QuietBench : public Workbench, public ProgressSink, public ContentsList {
 public:
  std::string source, archive;
  std::string SourceText() const override { return source; }
  std::string ArchiveText() const override { return archive; }
  ProgressSink& Progress() override { return *this; }
  ContentsList& Contents() override { return *this; }
  std::optional<std::string> RunSaveDialog(const std::string&, const std::string&) override { return std::nullopt; }
  void RepaintWindow() override {}
  void ShowMessage(const std::string& text) override { throw std::runtime_error("message: " + text); }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetPosition(std::uint8_t) override {}
  void Repaint() override {}
  void SetRows(std::vector<std::string> rows) override { rowCount = rows.size(); }
  std::string SelectedRowField(int) const override { return {}; }

  std::string caption;
  std::size_t rowCount = 0;
};

// One update of archive from source, as the command line runs it.
void RunUpdate(const std::string& nativeArchive, const std::string& nativeSource, const std::string& registryFolder,
               const skarvel::history::HistoryStore* history = nullptr) {
  AppState state(Registry::AtFolder(registryFolder));
  state.commandLineMode = true;
  QuietBench bench;
  bench.archive = skarvel::ToInternalPath(nativeArchive);
  bench.source = skarvel::ToInternalPath(nativeSource);
  skarvel::UpdateOptions options;
  options.history = history;
  options.origin = {"bench", "command line", ""};
  skarvel::Update1wad(state, bench, options);
  if (!bench.caption.starts_with("Update done in ")) throw std::runtime_error("the update did not finish");
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// User plus system time of this process so far: less sensitive than the wall
// clock to other work on a shared machine.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Bytes this process has handed to write calls so far (the kernel's count).
std::int64_t BytesWritten() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::int64_t value = 0;
  while (io >> key >> value) {
    if (key == "wchar:") return value;
  }
  return -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs a program and waits for it.
void RunProgram(const std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + words[0]);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(words[0] + " failed");
  }
}

// Flushes everything written so far, so each measurement starts from a clean disk.
void SyncAll() { ::sync(); }

void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void Put32(std::string& out, std::int32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  out.append(bytes, 4);
}

std::string Record(const std::string& name, std::int64_t offset, std::int64_t size) {
  std::string record = name;
  record.resize(128, '\0');
  Put32(record, static_cast<std::int32_t>(offset));
  Put32(record, static_cast<std::int32_t>(size));
  return record;
}

// A packed archive of the given names and sizes, written in large pieces; the
// data of entry i is a byte pattern of its own.
void WriteArchive(const std::string& path, const std::vector<std::string>& names,
                  const std::vector<std::int64_t>& sizes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string head;
  Put32(head, static_cast<std::int32_t>(names.size()));
  std::int64_t offset = 4 + 136 * static_cast<std::int64_t>(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    head += Record(names[i], offset, sizes[i]);
    offset += sizes[i];
  }
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  std::string chunk;
  for (std::size_t i = 0; i < names.size(); ++i) {
    chunk.assign(static_cast<std::size_t>(sizes[i]), static_cast<char>('a' + i % 26));
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string MiB(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f MiB", bytes / (1024.0 * 1024.0));
  return text;
}

std::string Fixed(double value, int decimals = 3) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void Verdict(const std::string& what, double ratio, double target) {
  std::cout << "  " << what << ": " << Fixed(ratio, 2) << "x (target at most " << Fixed(target, 1) << "x) "
            << (ratio <= target ? "PASS" : "OVER") << "\n";
}

// The peak resident memory of this process since its start, in bytes. A spawned
// child's ru_maxrss will not do: the kernel carries the peak of the address space
// a child was spawned from across its exec, here the benchmark's own, which
// holds hundreds of MiB after (a).
double OwnPeakMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) * 1024.0;  // kilobytes
  }
  throw std::runtime_error("no VmHWM in /proc/self/status");
}

// The peak memory of a process that runs only the update, in bytes; the process
// writes it to a file beside the archive.
double PeakMemoryOfUpdate(const std::string& self, const std::string& archive, const std::string& source,
                          const std::string& registry) {
  const std::string report = archive + ".peak";
  RunProgram({self, "--update-child", archive, source, registry, report});
  double peak = -1;
  std::ifstream(report) >> peak;
  fs::remove(report);
  if (peak <= 0) throw std::runtime_error("the update's process reported no peak memory");
  return peak;
}

struct Folder {
  std::string path;
  explicit Folder(std::string p) : path(std::move(p)) {}
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

std::string MakeBenchFolder() {
  const char* base = std::getenv("SKARVEL_BENCH_DIR");
  std::string pattern = (fs::path(base && *base ? base : fs::temp_directory_path().string()) / "skarvel-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder in " + pattern);
  return pattern;
}

// The layout of (a) and (d): entries of 1 KiB to about 25 KiB, 13 KiB on
// average (256 MiB for 20,000), in 100 folders; size() draws further sizes.
struct ManyEntries {
  std::vector<std::string> names;
  std::vector<std::int64_t> sizes;
  std::mt19937 random{4};
  std::int64_t size() { return 1024 + static_cast<std::int64_t>(random() % 24777); }

  explicit ManyEntries(int entries) {
    for (int i = 0; i < entries; ++i) {
      names.push_back("maps\\d" + std::to_string(i % 100) + "\\f" + std::to_string(i) + ".bin");
      sizes.push_back(size());
    }
  }
};

// (a) Many files into many entries.
void ManyFiles(const std::string& root, const std::string& self, bool quick) {
  const int entries = quick ? 2000 : 20000;
  std::cout << "(a) " << entries << " source files into an archive of " << entries << " entries\n";
  ManyEntries layout(entries);
  const std::string archive = root + "/many.wad";
  const std::string pristine = root + "/many.pristine";
  WriteArchive(pristine, layout.names, layout.sizes);
  std::int64_t sourceBytes = 0, largest = 0;
  for (int i = 0; i < entries; ++i) {
    // The files stand for the entries by name, in another folder layout and
    // with other sizes, so every replacement moves the data behind it.
    const std::int64_t bytes = layout.size();
    WriteFile(root + "/src/s" + std::to_string(i % 50) + "/f" + std::to_string(i) + ".bin",
              std::string(static_cast<std::size_t>(bytes), 'x'));
    sourceBytes += bytes;
    largest = std::max(largest, bytes);
  }
  fs::create_directories(root + "/empty");
  const std::string registry = root + "/registry";
  std::cout << "  archive " << MiB(static_cast<double>(fs::file_size(pristine))) << ", sources "
            << MiB(static_cast<double>(sourceBytes)) << "\n";

  std::vector<double> full, recorded, empty, reads, fullCpu, emptyCpu;
  std::int64_t written = 0;
  const std::string historyFolder = root + "/history-many";
  const skarvel::history::HistoryStore store(skarvel::ToInternalPath(historyFolder));
  for (int r = 0; r < kRepeats; ++r) {
    fs::copy_file(pristine, archive, fs::copy_options::overwrite_existing);
    SyncAll();
    double cpu = CpuSeconds();
    const std::int64_t before = BytesWritten();
    full.push_back(Seconds([&] { RunUpdate(archive, root + "/src", registry); }));
    written = BytesWritten() - before;
    fullCpu.push_back(CpuSeconds() - cpu);
    // The same update recorded in a history of its own.
    fs::copy_file(pristine, archive, fs::copy_options::overwrite_existing);
    fs::remove_all(historyFolder);
    SyncAll();
    recorded.push_back(Seconds([&] { RunUpdate(archive, root + "/src", registry, &store); }));
    fs::copy_file(pristine, archive, fs::copy_options::overwrite_existing);
    SyncAll();
    cpu = CpuSeconds();
    empty.push_back(Seconds([&] { RunUpdate(archive, root + "/empty", registry); }));
    emptyCpu.push_back(CpuSeconds() - cpu);
    SyncAll();
    // tar reads every source file once, as the update must; into a pipe, since
    // GNU tar reads nothing when it writes to /dev/null itself.
    reads.push_back(Seconds([&] { RunProgram({"sh", "-c", "tar -cf - -C '" + root + "' src | cat > /dev/null"}); }));
  }
  const double tFull = Median(full), tEmpty = Median(empty), tRead = Median(reads);
  std::cout << "  update from " << entries << " files: " << Fixed(tFull) << " s (median of " << kRepeats << "), "
            << written << " bytes written\n"
            << "  update from an empty folder: " << Fixed(tEmpty) << " s\n"
            << "  tar of the source folder into a pipe (reads every file): " << Fixed(tRead) << " s\n"
            << "  processor time (user + system): " << Fixed(Median(fullCpu)) << " s against "
            << Fixed(Median(emptyCpu)) << " s from the empty folder\n";
  std::cout << "  the same update with its history: " << Fixed(Median(recorded)) << " s\n";
  Verdict("files / (empty folder + tar)", tFull / (tEmpty + tRead), 1.2);
  Verdict("files with history / (empty folder + tar)", Median(recorded) / (tEmpty + tRead), 1.3);

  fs::copy_file(pristine, archive, fs::copy_options::overwrite_existing);
  const double peak = PeakMemoryOfUpdate(self, archive, root + "/src", registry);
  const double bound = static_cast<double>(fs::file_size(pristine) + largest) + 64.0 * 1024 * 1024;
  std::cout << "  peak memory: " << MiB(peak) << " (bound " << MiB(bound) << ") "
            << (peak <= bound ? "PASS" : "OVER") << "\n";
  fs::remove(archive);
  fs::remove(pristine);
  fs::remove_all(root + "/src");
}

// cp of archive followed by sync of the copy, timed from a flushed disk
// without the copy. With thenReplace, the copy is then renamed over the
// archive, as a crash-safe rewrite must end: the rename lets go of the old
// archive's blocks, which a copy to a fresh name never pays (on a file system
// mounted with "discard" the kernel trims them before the rename returns). The
// archive keeps its bytes.
double CopyThenSync(const std::string& archive, const std::string& copy, bool thenReplace = false) {
  fs::remove(copy);
  SyncAll();
  return Seconds([&] {
    RunProgram({"cp", archive, copy});
    RunProgram({"sync", copy});
    if (thenReplace) RunProgram({"mv", "-f", copy, archive});
  });
}

// The update of archive from source, timed as CopyThenSync is: the copy removed
// and the disk flushed first.
double UpdateFromACleanDisk(const std::string& archive, const std::string& source, const std::string& registry,
                            const std::string& copy) {
  fs::remove(copy);
  SyncAll();
  return Seconds([&] { RunUpdate(archive, source, registry); });
}

// (b) and (c): one entry of a large archive.
void OneEntryOfALargeArchive(const std::string& root, const std::string& self, bool quick) {
  const std::int64_t entrySize = std::int64_t{1} << 20;
  const int entries = quick ? 64 : 1024;
  std::cout << "(b) one entry of an archive of " << entries << " entries of 1 MiB\n";
  std::vector<std::string> names;
  std::vector<std::int64_t> sizes(static_cast<std::size_t>(entries), entrySize);
  for (int i = 0; i < entries; ++i) names.push_back("cars\\big\\e" + std::to_string(i) + ".bin");
  const std::string archive = root + "/big.wad";
  WriteArchive(archive, names, sizes);
  const std::int64_t archiveSize = static_cast<std::int64_t>(fs::file_size(archive));
  // Two sources for the middle entry, one larger and one smaller, so that each
  // run changes the size and moves half of the data.
  // Put together step by step: GCC 12 warns wrongly about "e" + std::to_string(...).
  std::string middle = std::to_string(entries / 2);
  middle.insert(0, 1, 'e');
  middle += ".bin";
  const std::string grow = root + "/grow/" + middle, shrink = root + "/shrink/" + middle;
  WriteFile(grow, std::string(static_cast<std::size_t>(entrySize + 4096), 'G'));
  WriteFile(shrink, std::string(static_cast<std::size_t>(entrySize - 4096), 'S'));
  const std::string registry = root + "/registry";
  const std::string copy = root + "/copy.wad";

  std::vector<double> updates, copies, syncedCopies, userCopies;
  for (int r = 0; r < kRepeats; ++r) {
    // cp copies inside the kernel (copy_file_range); dd shows a copy through a
    // user-space buffer, as any program that holds the data must make.
    fs::remove(copy);
    SyncAll();
    userCopies.push_back(Seconds([&] { RunProgram({"dd", "if=" + archive, "of=" + copy, "bs=8M", "status=none"}); }));
    fs::remove(copy);
    SyncAll();
    copies.push_back(Seconds([&] { RunProgram({"cp", archive, copy}); }));
    syncedCopies.push_back(CopyThenSync(archive, copy));
    updates.push_back(UpdateFromACleanDisk(archive, r % 2 == 0 ? grow : shrink, registry, copy));
  }
  const double tUpdate = Median(updates), tCopy = Median(copies), tSynced = Median(syncedCopies);
  std::cout << "  archive " << MiB(static_cast<double>(archiveSize)) << "\n"
            << "  update replacing one entry: " << Fixed(tUpdate) << " s (median of " << kRepeats << ")\n"
            << "  cp: " << Fixed(tCopy) << " s; cp then sync of the copy: " << Fixed(tSynced) << " s\n"
            << "  dd bs=8M (copy through user space, context): " << Fixed(Median(userCopies)) << " s\n";
  Verdict("update / cp", tUpdate / tCopy, 1.4);
  Verdict("update / (cp + sync)", tUpdate / tSynced, 1.4);

  std::cout << "(c) peak memory of the update of (b)\n";
  const double peak = PeakMemoryOfUpdate(self, archive, grow, registry);
  const double bound = static_cast<double>(archiveSize + entrySize + 4096) + 64.0 * 1024 * 1024;
  std::cout << "  peak memory: " << MiB(peak) << " (bound: archive + largest source + 64 MiB = " << MiB(bound)
            << ") " << (peak <= bound ? "PASS" : "OVER") << "\n";
  fs::remove(archive);
}


// The system calls of a process, by name, as strace -c -f counts them; empty
// when strace is not installed.
std::map<std::string, long> SystemCalls(const std::vector<std::string>& words, const std::string& table) {
  std::vector<std::string> traced = {"strace", "-f", "-c", "-o", table};
  traced.insert(traced.end(), words.begin(), words.end());
  try {
    RunProgram(traced);
  } catch (const std::exception&) {
    return {};
  }
  // Lines: % time, seconds, usecs/call, calls, [errors,] syscall.
  std::map<std::string, long> calls;
  std::ifstream in(table);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (words.size() < 5 || !std::isdigit(static_cast<unsigned char>(words[3][0])) || words.back() == "total") continue;
    calls[words.back()] = std::stol(words[3]);
  }
  return calls;
}

// (d) One entry of the archive of (a).
void OneEntryOfManyEntries(const std::string& root, const std::string& self, bool quick) {
  const int entries = quick ? 2000 : 20000;
  const int repeats = 5;  // each run is short: more of them steady the median
  std::cout << "(d) one entry of an archive of " << entries << " entries\n";
  ManyEntries layout(entries);
  const std::string archive = root + "/patch.wad";
  WriteArchive(archive, layout.names, layout.sizes);
  const std::int64_t archiveSize = static_cast<std::int64_t>(fs::file_size(archive));
  const std::int64_t directory = skarvel::kWadRecordSize * entries;
  // The middle entry, a little larger and then a little smaller than it is, so
  // every run moves the second half of the data by a few bytes.
  std::string middle = std::to_string(entries / 2);
  middle.insert(0, 1, 'f');
  middle += ".bin";
  const auto middleSize = static_cast<std::size_t>(layout.sizes[static_cast<std::size_t>(entries / 2)]);
  const std::string grow = root + "/patch-grow/" + middle, shrink = root + "/patch-shrink/" + middle;
  WriteFile(grow, std::string(middleSize + 1153, 'G'));
  WriteFile(shrink, std::string(middleSize - 700, 'S'));
  const std::string registry = root + "/registry";
  const std::string copy = root + "/patch-copy.wad";

  std::vector<double> updates, syncedCopies, replacements;
  for (int r = 0; r < repeats; ++r) {
    syncedCopies.push_back(CopyThenSync(archive, copy));
    replacements.push_back(CopyThenSync(archive, copy, true));
    updates.push_back(UpdateFromACleanDisk(archive, r % 2 == 0 ? grow : shrink, registry, copy));
  }
  const double tUpdate = Median(updates), tSynced = Median(syncedCopies), tReplaced = Median(replacements);
  std::cout << "  archive " << MiB(static_cast<double>(archiveSize)) << "\n"
            << "  update replacing one entry: " << Fixed(tUpdate) << " s (median of " << repeats << ")\n"
            << "  cp then sync of the copy: " << Fixed(tSynced) << " s\n"
            << "  cp, sync, then mv of the copy over the archive: " << Fixed(tReplaced) << " s\n";
  Verdict("update / (cp + sync)", tUpdate / tSynced, 1.1);
  Verdict("update / (cp + sync + mv over the archive)", tUpdate / tReplaced, 1.1);

  const std::vector<std::string> child = {self, "--update-child", archive, grow, registry};
  const std::map<std::string, long> calls = SystemCalls(child, root + "/strace.txt");
  if (calls.empty()) {
    std::cout << "  system calls: strace is not installed\n";
  } else {
    const std::map<std::string, long> start = SystemCalls({self, "--start-child"}, root + "/strace.txt");
    long total = 0, startTotal = 0;
    for (const auto& [name, count] : calls) total += count;
    for (const auto& [name, count] : start) startTotal += count;
    std::cout << "  system calls of the process: " << total << ", of which " << startTotal
              << " start and end any process of this program; by name:";
    for (const auto& [name, count] : calls) {
      const auto before = start.find(name);
      const long own = count - (before == start.end() ? 0 : before->second);
      if (own > 0) std::cout << " " << name << " " << own;
    }
    std::cout << "\n";
  }
  const double peak = PeakMemoryOfUpdate(self, archive, grow, registry);
  const double beyond = peak - static_cast<double>(directory);
  std::cout << "  peak memory: " << MiB(peak) << ", " << MiB(beyond) << " beyond the directory of "
            << MiB(static_cast<double>(directory)) << " (target under 32 MiB) "
            << (beyond < 32.0 * 1024 * 1024 ? "PASS" : "OVER") << "\n";
  fs::remove(archive);
}

// (e) The patch of (d) with its history, and its restore.
void PatchWithHistory(const std::string& root, bool quick) {
  const int entries = quick ? 2000 : 20000;
  const int repeats = 5;
  std::cout << "(e) one entry of an archive of " << entries << " entries, with its history, and its restore\n";
  ManyEntries layout(entries);
  const std::string archive = root + "/history.wad";
  WriteArchive(archive, layout.names, layout.sizes);
  std::string middle = std::to_string(entries / 2);
  middle.insert(0, 1, 'f');
  middle += ".bin";
  const auto middleSize = static_cast<std::size_t>(layout.sizes[static_cast<std::size_t>(entries / 2)]);
  const std::string grow = root + "/history-grow/" + middle;
  WriteFile(grow, std::string(middleSize + 1153, 'G'));
  const std::string registry = root + "/registry", copy = root + "/history-copy.wad";
  const std::string historyFolder = root + "/history";
  const skarvel::history::HistoryStore store(skarvel::ToInternalPath(historyFolder));
  const std::string internal = skarvel::ToInternalPath(archive);

  std::vector<double> updates, restores, replacements;
  std::int64_t kept = 0;
  for (int r = 0; r < repeats; ++r) {
    replacements.push_back(CopyThenSync(archive, copy, true));
    fs::remove(copy);
    SyncAll();
    updates.push_back(Seconds([&] { RunUpdate(archive, grow, registry, &store); }));
    kept = 0;
    for (const auto& item : fs::recursive_directory_iterator(historyFolder)) {
      if (item.is_regular_file()) kept += static_cast<std::int64_t>(item.file_size());
    }
    SyncAll();
    restores.push_back(Seconds([&] {
      skarvel::history::Restore(store, skarvel::history::PlanRestore(store, internal, 1));
    }));
  }
  const double tUpdate = Median(updates), tRestore = Median(restores), tReplaced = Median(replacements);
  std::cout << "  update with history: " << Fixed(tUpdate) << " s, restore: " << Fixed(tRestore)
            << " s (medians of " << repeats << ")\n"
            << "  cp, sync, then mv of the copy over the archive: " << Fixed(tReplaced) << " s\n"
            << "  history of the patch on disk: " << MiB(static_cast<double>(kept)) << " (target under 3 MiB) "
            << (kept < 3 * 1024 * 1024 ? "PASS" : "OVER") << "\n";
  Verdict("update with history / (cp + sync + mv)", tUpdate / tReplaced, 1.1);
  Verdict("restore / (cp + sync + mv)", tRestore / tReplaced, 1.1);
  fs::remove(archive);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if ((argc == 5 || argc == 6) && std::string(argv[1]) == "--update-child") {
      RunUpdate(argv[2], argv[3], argv[4]);
      if (argc == 6) std::ofstream(argv[5]) << std::fixed << OwnPeakMemory();
      return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--start-child") return 0;
    bool quick = false;
    std::set<std::string> parts;
    for (int i = 1; i < argc; ++i) {
      const std::string word = argv[i];
      if (word == "--quick") {
        quick = true;
      } else if (word == "many" || word == "large" || word == "patch" || word == "history") {
        parts.insert(word);
      } else {
        std::cerr << "usage: bench_update [--quick] [many] [large] [patch] [history]\n";
        return 2;
      }
    }
    auto runs = [&](const char* part) { return parts.empty() || parts.count(part) > 0; };
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    Folder root(MakeBenchFolder());
    std::cout << "data in " << root.path << "\n";
    if (runs("many")) ManyFiles(root.path, self, quick);
    if (runs("large")) OneEntryOfALargeArchive(root.path, self, quick);
    if (runs("patch")) OneEntryOfManyEntries(root.path, self, quick);
    if (runs("history")) PatchWithHistory(root.path, quick);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "bench_update: " << error.what() << "\n";
    return 1;
  }
}
