// How fast verify examines a large directory, against reading the same file
// with cat, and what a count in the billions costs it.
//
// Builds, in a temporary folder (or in $SKARVEL_BENCH_DIR):
//   - an archive of 1,000,000 entries of 16 bytes (a 136 MB directory), and
//   - a 4 KiB file whose count claims 2,147,483,647 entries;
// then measures, each a few times ($SKARVEL_BENCH_REPEAT, default 3) with the
// median reported and the file in the page cache: `cat FILE > /dev/null`, `cp`,
// and VerifyWad. The peak memory of the process is printed after each verify.
// Everything made is deleted at the end.
#include <sys/resource.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/WadVerify.h"
#include "host/Encoding.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::int32_t kEntries = 1000000;
constexpr std::int32_t kEntrySize = 16;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Timed(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double MedianOf(int repeat, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < repeat; ++i) times.push_back(Timed(work));
  return Median(times);
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void Put32(std::string& out, std::size_t at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

// Written record by record, so that making it does not raise the peak memory
// that verify's figure is read from.
void MakeLargeArchive(const std::string& path) {
  const std::int64_t directoryEnd = 4 + std::int64_t{136} * kEntries;
  std::ofstream out(path, std::ios::binary);
  std::string count(4, '\0');
  Put32(count, 0, kEntries);
  out.write(count.data(), 4);
  std::string record(136, '\0');
  for (std::int32_t i = 0; i < kEntries; ++i) {
    std::fill(record.begin(), record.end(), '\0');
    const std::string name = "maps\\folder" + std::to_string(i % 1000) + "\\file" + std::to_string(i) + ".bin";
    record.replace(0, name.size(), name);
    record.resize(136, '\0');
    Put32(record, 128, static_cast<std::int32_t>(directoryEnd + std::int64_t{kEntrySize} * i));
    Put32(record, 132, kEntrySize);
    out.write(record.data(), 136);
  }
  const std::string data(std::size_t{kEntrySize} * 4096, 'd');
  for (std::int32_t i = 0; i < kEntries; i += 4096) {
    const std::int32_t n = std::min(4096, kEntries - i);
    out.write(data.data(), static_cast<std::streamsize>(std::size_t{kEntrySize} * n));
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

void MakeHugeCount(const std::string& path) {
  std::string bytes(4096, 'x');
  Put32(bytes, 0, 2147483647);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main() {
  using namespace skarvel;
  const char* repeatText = std::getenv("SKARVEL_BENCH_REPEAT");
  const int repeat = std::max(1, repeatText ? std::atoi(repeatText) : 3);
  const char* base = std::getenv("SKARVEL_BENCH_DIR");
  std::string pattern = (fs::path(base ? base : fs::temp_directory_path().string()) / "skarvel-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  const fs::path dir(pattern);
  const std::string large = (dir / "large.wad").string();
  const std::string huge = (dir / "huge.wad").string();
  try {
    MakeLargeArchive(large);
    MakeHugeCount(huge);
    const double megabytes = static_cast<double>(fs::file_size(large)) / 1e6;
    std::printf("archive: %d entries, %.1f MB (directory %.1f MB)\n", kEntries, megabytes, 136.0 * kEntries / 1e6);
    Run("cat '" + large + "' > /dev/null");  // into the page cache

    const double cat = MedianOf(repeat, [&] { Run("cat '" + large + "' > /dev/null"); });
    const double cp = MedianOf(repeat, [&] { Run("cp '" + large + "' '" + (dir / "copy.wad").string() + "'"); });
    fs::remove(dir / "copy.wad");
    WadVerifyReport report;
    const double verify = MedianOf(repeat, [&] { report = VerifyWad(ToInternalPath(large)); });
    std::printf("cat > /dev/null   %8.3f s\n", cat);
    std::printf("cp                %8.3f s\n", cp);
    std::printf("verify            %8.3f s   %.2f x cat, %.2f x cp   (readable %s, %zu duplicates)\n", verify,
                verify / cat, verify / cp, report.Readable() ? "yes" : "no", report.duplicates.size());
    std::printf("peak memory after verify: %.1f MB\n", static_cast<double>(PeakKilobytes()) / 1024.0);

    const double hugeCount = MedianOf(repeat, [&] { report = VerifyWad(ToInternalPath(huge)); });
    std::printf("count 2147483647 in a 4 KiB file: verify %.6f s, %d records examined, peak memory %.1f MB\n",
                hugeCount, report.recordsExamined, static_cast<double>(PeakKilobytes()) / 1024.0);
  } catch (...) {
    fs::remove_all(dir);
    throw;
  }
  fs::remove_all(dir);
  return 0;
}
