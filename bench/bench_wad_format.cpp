// How close loading and rewriting a large archive comes to copying the file,
// and how little the listing reads.
//
// Builds a 1 GiB archive of 50,000 entries in a temporary folder (or in
// $SKARVEL_BENCH_DIR), then measures in the same run, each a few times
// ($SKARVEL_BENCH_REPEAT, default 3) with the median reported:
//   - cp of the archive, and cp followed by an fsync of the copy ("sync FILE");
//   - LoadWadArchive + RebuildWad into a new file (RebuildWad flushes the file to
//     the disk before it replaces the target, so it is compared with both);
//   - the listing (CreateFileList): time and bytes read (rchar of /proc/self/io).
// Every measurement starts with the source in the page cache and nothing dirty
// (a sync runs untimed before each one). Everything made is deleted at the end.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/ContentsList.h"
#include "archive/WadArchive.h"
#include "host/Encoding.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::int64_t kArchiveBytes = std::int64_t{1} << 30;
constexpr std::int32_t kEntries = 50000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

double Timed(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return Seconds(Clock::now() - start);
}

// Bytes this process has asked read() for so far.
std::int64_t BytesRead() {
  char text[512];
  const int fd = open("/proc/self/io", O_RDONLY);
  if (fd < 0) return -1;
  const ssize_t got = read(fd, text, sizeof text - 1);
  close(fd);
  if (got <= 0) return -1;
  text[got] = '\0';
  std::int64_t rchar = -1;
  std::sscanf(text, "rchar: %" SCNd64, &rchar);
  return rchar;
}

void Put32(std::string& out, std::size_t at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

// The archive as the creation would pack it: directory, then the data in
// directory order. Entry sizes vary around the mean; the data is pseudo-random
// so that nothing on the way can shortcut zeros.
void MakeArchive(const std::string& path) {
  const std::int64_t directoryEnd = 4 + 136 * std::int64_t{kEntries};
  const std::int64_t dataBytes = kArchiveBytes - directoryEnd;
  std::vector<std::int32_t> sizes(kEntries);
  const std::int64_t mean = dataBytes / kEntries;
  std::int64_t total = 0;
  for (std::int32_t i = 0; i < kEntries; ++i) {
    sizes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(mean + (std::int64_t{i} * 7919) % 2001 - 1000);
    total += sizes[static_cast<std::size_t>(i)];
  }
  sizes.back() += static_cast<std::int32_t>(dataBytes - total);

  std::string directory(static_cast<std::size_t>(directoryEnd), '\0');
  Put32(directory, 0, kEntries);
  std::int64_t offset = directoryEnd;
  for (std::int32_t i = 0; i < kEntries; ++i) {
    const std::size_t record = 4 + 136 * static_cast<std::size_t>(i);
    const std::string name =
        "maps\\track" + std::to_string(i % 17) + "\\textures\\file" + std::to_string(i) + ".tex";
    std::memcpy(directory.data() + record, name.data(), name.size());
    Put32(directory, record + 128, static_cast<std::int32_t>(offset));
    Put32(directory, record + 132, sizes[static_cast<std::size_t>(i)]);
    offset += sizes[static_cast<std::size_t>(i)];
  }

  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot create " + path);
  std::fwrite(directory.data(), 1, directory.size(), out);
  std::vector<std::uint64_t> block((std::size_t{8} << 20) / sizeof(std::uint64_t));
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  for (std::int64_t left = dataBytes; left > 0;) {
    for (auto& word : block) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      word = state;
    }
    const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(left, std::int64_t(block.size() * 8)));
    if (std::fwrite(block.data(), 1, chunk, out) != chunk) throw std::runtime_error("cannot write " + path);
    left -= static_cast<std::int64_t>(chunk);
  }
  if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path);
}

class CountingList : public skarvel::ContentsList {
 public:
  std::size_t rows = 0;
  void SetRows(std::vector<std::string> newRows) override { rows = newRows.size(); }
  std::string SelectedRowField(int) const override { return {}; }
};

}  // namespace

int main() {
  try {
    const char* chosen = std::getenv("SKARVEL_BENCH_DIR");
    const char* repeatText = std::getenv("SKARVEL_BENCH_REPEAT");
    const int repeat = std::max(1, repeatText ? std::atoi(repeatText) : 3);
    std::string folder;
    bool ownFolder = false;
    if (chosen != nullptr && *chosen != '\0') {
      folder = chosen;
      fs::create_directories(folder);
    } else {
      std::string pattern = (fs::temp_directory_path() / "skarvel-bench-XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
      folder = pattern;
      ownFolder = true;
    }
    const std::string source = folder + "/bench-source.wad";
    const std::string copied = folder + "/bench-cp.wad";
    const std::string rebuilt = folder + "/bench-rebuilt.wad";
    auto cleanUp = [&] {
      std::error_code ignored;
      for (const auto& file : {source, copied, rebuilt}) fs::remove(file, ignored);
      if (ownFolder) fs::remove_all(folder, ignored);
    };

    try {
      std::printf("archive: %" PRId64 " bytes, %d entries, in %s\n", kArchiveBytes, kEntries, folder.c_str());
      const double made = Timed([&] { MakeArchive(source); });
      sync();
      std::printf("made in %.2f s\n", made);
      const std::string sourceInternal = skarvel::ToInternalPath(source);
      const std::string rebuiltInternal = skarvel::ToInternalPath(rebuilt);
      Run("cat " + Quoted(source) + " > /dev/null");  // the source is in the page cache for every contender

      std::vector<double> cp, cpSync, load, rebuild, both, listing;
      std::int64_t listBytes = 0;
      std::size_t listRows = 0;
      for (int round = 0; round < repeat; ++round) {
        cp.push_back(Timed([&] { Run("cp " + Quoted(source) + " " + Quoted(copied)); }));
        sync();
        fs::remove(copied);
        sync();

        cpSync.push_back(Timed([&] { Run("cp " + Quoted(source) + " " + Quoted(copied) + " && sync " + Quoted(copied)); }));
        fs::remove(copied);
        sync();

        {
          skarvel::WadArchive wad;
          const double l = Timed([&] { skarvel::LoadWadArchive(wad, sourceInternal); });
          const double r = Timed([&] { skarvel::RebuildWad(wad, rebuiltInternal, wad.Count); });
          load.push_back(l);
          rebuild.push_back(r);
          both.push_back(l + r);
        }
        std::printf("run %d: cp %.3f s, cp + sync %.3f s, load %.3f s, rebuild %.3f s\n", round + 1, cp.back(),
                    cpSync.back(), load.back(), rebuild.back());
        std::fflush(stdout);
        if (round == 0) Run("cmp -s " + Quoted(source) + " " + Quoted(rebuilt));  // the rebuild is byte for byte
        fs::remove(rebuilt);
        sync();

        skarvel::WadArchive wad;
        CountingList list;
        const std::int64_t probe = BytesRead();
        const std::int64_t probeCost = BytesRead() - probe;  // what reading the counter itself adds
        const std::int64_t before = BytesRead();
        listing.push_back(Timed([&] { skarvel::CreateFileList(wad, sourceInternal, list); }));
        listBytes = BytesRead() - before - probeCost;
        listRows = list.rows;
      }

      // Medians, and the best run: on a shared machine the best run is the one
      // least disturbed by others.
      const double cpM = Median(cp), cpSyncM = Median(cpSync), bothM = Median(both);
      const double cpB = Best(cp), cpSyncB = Best(cpSync), bothB = Best(both);
      std::printf("runs: %d                     median      best\n", repeat);
      std::printf("cp                          %7.3f s  %7.3f s\n", cpM, cpB);
      std::printf("cp + sync of the copy       %7.3f s  %7.3f s\n", cpSyncM, cpSyncB);
      std::printf("LoadWadArchive              %7.3f s  %7.3f s\n", Median(load), Best(load));
      std::printf("RebuildWad (flushed)        %7.3f s  %7.3f s\n", Median(rebuild), Best(rebuild));
      std::printf("load + rebuild              %7.3f s  %7.3f s\n", bothM, bothB);
      std::printf("load + rebuild / cp         %7.2fx   %7.2fx\n", bothM / cpM, bothB / cpB);
      std::printf("load + rebuild / cp + sync  %7.2fx   %7.2fx\n", bothM / cpSyncM, bothB / cpSyncB);
      std::printf("flushing the copy costs     %7.3f s  %7.3f s\n", cpSyncM - cpM, cpSyncB - cpB);
      std::printf("listing                     %7.4f s  %7.4f s   %zu rows, %" PRId64
                  " bytes read (directory: %" PRId64 " bytes, file: %" PRId64 ")\n",
                  Median(listing), Best(listing), listRows, listBytes, 4 + 136 * std::int64_t{kEntries},
                  kArchiveBytes);
    } catch (...) {
      cleanUp();
      throw;
    }
    cleanUp();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_wad_format: %s\n", e.what());
    return 1;
  }
}
