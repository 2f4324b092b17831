// Extract all and create against tar on the same files, in the same run.
//
// Makes a tree of N files (default 20,000, 1 GiB in all) in nested folders, then
// times, round after round: tar -cf of the tree, tar -cf followed by sync (the
// created archive is flushed to disk for crash safety, tar's is not), the
// creation of a wad from the tree, tar -xf of the tar, and extract all of the wad.
// Each operation of ours runs in a child process, so that its peak memory is its
// own. Prints medians and the ratios. Everything is made in a temporary folder
// (SKARVEL_BENCH_DIR chooses where) and removed at the end; it needs about
// (3 + 2 x rounds) times the data in free space.
//
// Options: --files N, --mib N, --rounds N, --keep (leave the data for a look).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/WadCreate.h"
#include "archive/WadExtract.h"
#include "archive/Workbench.h"
#include "host/Encoding.h"
#include "host/Errors.h"

namespace fs = std::filesystem;
using namespace skarvel;

namespace {

// The main window as the two operations see it: fixed edits, a dialog that
// always accepts the given name, and a status line that keeps its last caption.
class BenchWorkbench : public Workbench, public ProgressSink, public ContentsList {
 public:
  std::string source;
  std::string archive;
  std::string answer;
  std::string caption;
  std::vector<std::string> messages;

  std::string SourceText() const override { return source; }
  std::string ArchiveText() const override { return archive; }
  ProgressSink& Progress() override { return *this; }
  ContentsList& Contents() override { return *this; }
  std::optional<std::string> RunSaveDialog(const std::string&, const std::string&) override { return answer; }
  void RepaintWindow() override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetPosition(std::uint8_t) override {}
  void Repaint() override {}
  void SetRows(std::vector<std::string>) override {}
  std::string SelectedRowField(int) const override { throw ListIndexError(-1); }
};

struct Run {
  double seconds = 0;
  long peakKiB = 0;
};

// User and system time of all waited-for children so far.
double ChildrenCpu() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs work in a child process; its wall time (fork included) and peak memory.
Run InChild(const std::function<void()>& work) {
  std::fflush(stdout);  // or the child would print the parent's pending output again
  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (pid == 0) {
    try {
      work();
      _exit(0);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "failed: %s\n", ToDisplayText(error.what()).c_str());
      _exit(1);
    }
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a benchmarked operation failed\n");
    std::exit(1);
  }
  return Run{Now() - start, usage.ru_maxrss};
}

Run Shell(const std::string& command) {
  const double start = Now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
  return Run{Now() - start, 0};
}

// Writeback of earlier rounds must not land in the next measurement.
void Settle() { sync(); }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Files of random sizes around the mean that add up to exactly total bytes, in
// folders two levels deep, with a few directly in the root.
std::int64_t MakeTree(const fs::path& root, int files, std::int64_t total) {
  std::mt19937_64 random(20240607);
  std::vector<char> pool(std::size_t{64} << 20);
  for (std::size_t i = 0; i < pool.size(); i += 8) {
    const std::uint64_t value = random();
    std::memcpy(pool.data() + i, &value, 8);
  }
  const std::int64_t mean = total / files;
  std::vector<std::int64_t> sizes(static_cast<std::size_t>(files));
  std::int64_t sum = 0;
  for (auto& size : sizes) {
    size = std::uniform_int_distribution<std::int64_t>(mean / 10, mean * 19 / 10)(random);
    sum += size;
  }
  // Spread the rounding so the total is exact.
  std::int64_t excess = sum - total;
  for (std::size_t i = 0; excess != 0; i = (i + 1) % sizes.size()) {
    const std::int64_t step = std::clamp<std::int64_t>(excess, -mean / 10, std::min<std::int64_t>(sizes[i], mean / 10));
    sizes[i] -= step;
    excess -= step;
  }
  std::int64_t written = 0;
  for (int i = 0; i < files; ++i) {
    fs::path folder = root;
    if (i % 50 != 0) folder = root / ("group" + std::to_string(i % 20)) / ("set" + std::to_string(i % 7));
    fs::create_directories(folder);
    std::ofstream out(folder / ("file" + std::to_string(i) + ".bin"), std::ios::binary);
    std::int64_t left = sizes[static_cast<std::size_t>(i)];
    std::size_t at = static_cast<std::size_t>(random() % (pool.size() / 2));
    while (left > 0) {
      const auto piece = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(pool.size() - at)));
      out.write(pool.data() + at, static_cast<std::streamsize>(piece));
      left -= static_cast<std::int64_t>(piece);
      at = 0;
    }
    if (!out) {
      std::fprintf(stderr, "cannot write the test tree\n");
      std::exit(1);
    }
    written += sizes[static_cast<std::size_t>(i)];
  }
  return written;
}

// Medians, and the best of the rounds, which a busy machine disturbs least.
void Report(const char* what, const std::vector<double>& ours, const std::vector<double>& theirs, const char* against) {
  const double a = Median(ours), b = Median(theirs);
  const double bestA = *std::min_element(ours.begin(), ours.end());
  const double bestB = *std::min_element(theirs.begin(), theirs.end());
  std::printf("  %-28s %7.3f s vs %-16s %7.3f s  ratio %.2f   (best %.3f vs %.3f: %.2f)\n", what, a, against, b, a / b,
              bestA, bestB, bestA / bestB);
}

}  // namespace

int main(int argc, char** argv) {
  int files = 20000;
  std::int64_t mib = 1024;
  int rounds = 3;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--files" && i + 1 < argc) files = std::atoi(argv[++i]);
    else if (arg == "--mib" && i + 1 < argc) mib = std::atoll(argv[++i]);
    else if (arg == "--rounds" && i + 1 < argc) rounds = std::atoi(argv[++i]);
    else if (arg == "--keep") keep = true;
    else {
      std::fprintf(stderr, "usage: %s [--files N] [--mib N] [--rounds N] [--keep]\n", argv[0]);
      return 2;
    }
  }
  if (files < 2 || mib < 1 || rounds < 1) return 2;

  const char* chosen = std::getenv("SKARVEL_BENCH_DIR");
  std::string pattern = (fs::path(chosen ? chosen : fs::temp_directory_path().string()) / "skarvel-bench-XXXXXX").string();
  fs::create_directories(fs::path(pattern).parent_path());
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path base = pattern;
  const fs::path tree = base / "tree";
  const fs::path tarFile = base / "tree.tar";
  const fs::path wadFile = base / "tree.wad";

  std::printf("bench_extract_create: %d files, %lld MiB, %d rounds, in %s\n", files, static_cast<long long>(mib), rounds,
              base.c_str());
  const std::int64_t bytes = MakeTree(tree, files, mib << 20);
  Shell("tar -cf " + Quoted(tarFile) + " -C " + Quoted(tree) + " .");

  // Wall times, and the CPU time (user + system) of the same runs.
  std::vector<double> tarCreate, tarCreateSync, create, tarExtract, extract;
  std::vector<double> cpuTarCreate, cpuCreate, cpuTarExtract, cpuExtract;
  long createPeak = 0, extractPeak = 0;
  const fs::path tarOut = base / "again.tar";
  // Extracted trees stay until the end: ext4 scans past recently freed inodes
  // when it allocates new ones, so deleting 20,000 files just before a run slows
  // that run by a factor that depends only on timing.
  fs::path tarTarget, wadTarget;

  auto timeTarCreate = [&] {
    fs::remove(tarOut);
    Settle();
    const double cpu = ChildrenCpu();
    tarCreate.push_back(Shell("tar -cf " + Quoted(tarOut) + " -C " + Quoted(tree) + " .").seconds);
    cpuTarCreate.push_back(ChildrenCpu() - cpu);
    fs::remove(tarOut);
    Settle();
    tarCreateSync.push_back(Shell("tar -cf " + Quoted(tarOut) + " -C " + Quoted(tree) + " . && sync").seconds);
  };
  auto timeCreate = [&] {
    fs::remove(wadFile);
    Settle();
    const double cpu = ChildrenCpu();
    const Run made = InChild([&] {
      AppState state(Registry::AtFolder((base / "registry").string()));
      BenchWorkbench bench;
      bench.source = ToInternalPath(tree.string());
      bench.answer = ToInternalPath(wadFile.string());
      LMDCreateWadClick(state, bench);
      if (!bench.messages.empty()) throw std::runtime_error(bench.messages.front());
    });
    create.push_back(made.seconds);
    cpuCreate.push_back(ChildrenCpu() - cpu);
    createPeak = std::max(createPeak, made.peakKiB);
  };
  auto timeTarExtract = [&] {
    tarTarget = base / ("from-tar-" + std::to_string(tarExtract.size()));
    fs::create_directories(tarTarget);
    Settle();
    const double cpu = ChildrenCpu();
    tarExtract.push_back(Shell("tar -xf " + Quoted(tarFile) + " -C " + Quoted(tarTarget)).seconds);
    cpuTarExtract.push_back(ChildrenCpu() - cpu);
  };
  auto timeExtract = [&] {
    wadTarget = base / ("from-wad-" + std::to_string(extract.size()));
    Settle();
    const double cpu = ChildrenCpu();
    const Run taken = InChild([&] {
      AppState state(Registry::AtFolder((base / "registry").string()));
      BenchWorkbench bench;
      bench.archive = ToInternalPath(wadFile.string());
      bench.answer = ToInternalPath(wadTarget.string());
      ExtractClick(state, bench);
      if (!bench.messages.empty()) throw std::runtime_error(bench.messages.front());
    });
    extract.push_back(taken.seconds);
    cpuExtract.push_back(ChildrenCpu() - cpu);
    extractPeak = std::max(extractPeak, taken.peakKiB);
  };

  // Each round swaps which side goes first, so that neither always meets the
  // writeback or the freed blocks that the other left behind.
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      timeTarCreate();
      timeCreate();
    } else {
      timeCreate();
      timeTarCreate();
    }
    if (round % 2 == 0) {
      timeTarExtract();
      timeExtract();
    } else {
      timeExtract();
      timeTarExtract();
    }
    // The extracted tree must be the source tree, byte for byte.
    if (round == 0 && std::system(("diff -rq " + Quoted(tree) + " " + Quoted(wadTarget)).c_str()) != 0) {
      std::fprintf(stderr, "the extracted tree differs from the source tree\n");
      return 1;
    }
  }

  const double mibs = static_cast<double>(bytes) / (1 << 20);
  std::printf("data: %d files, %.0f MiB; wad %.1f MiB; medians of %d rounds, warm cache\n", files, mibs,
              static_cast<double>(fs::file_size(wadFile)) / (1 << 20), rounds);
  Report("create (fsynced)", create, tarCreate, "tar -cf");
  Report("create (fsynced)", create, tarCreateSync, "tar -cf && sync");
  Report("extract all", extract, tarExtract, "tar -xf");
  std::printf("  CPU time (median): create %.3f s, tar -cf %.3f s; extract %.3f s, tar -xf %.3f s\n", Median(cpuCreate),
              Median(cpuTarCreate), Median(cpuExtract), Median(cpuTarExtract));
  std::printf("  create peak memory %.1f MiB (data %.0f MiB; limit data + 64 MiB)\n", createPeak / 1024.0, mibs);
  std::printf("  extract peak memory %.1f MiB\n", extractPeak / 1024.0);
  std::printf("  throughput: create %.0f MiB/s, extract %.0f MiB/s\n", mibs / Median(create), mibs / Median(extract));

  if (keep) {
    std::printf("data kept in %s\n", base.c_str());
  } else {
    fs::remove_all(base);
  }
  return 0;
}
