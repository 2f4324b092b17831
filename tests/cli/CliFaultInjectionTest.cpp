// An update that fails at any one system call (strace makes the call fail) must
// leave the archive either as it was or as the update makes it, whole, and no
// temporary file beside it; its history then holds the patch exactly when the
// archive is the new one, and a restore gives back the old one. Calls the system refuses for a reason the program
// works around (no kernel copy, no early writeback) must give the new archive.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

namespace fs = std::filesystem;

// The calls through which the program reaches its files.
const std::set<std::string> kFileCalls = {
    "openat",   "read",  "pread64", "write",     "pwrite64", "lseek",       "copy_file_range", "sync_file_range",
    "fsync",    "fdatasync", "ftruncate", "fchmod", "fchown", "rename", "renameat", "renameat2",
    "unlink",   "unlinkat", "close", "newfstatat", "fstat", "statx", "readlink", "getdents64", "mkdir"};

bool HaveStrace() { return std::system("strace -V >/dev/null 2>&1") == 0; }

// The program of a sanitized build makes file calls of its own (its runtime
// probes memory through a pipe, its leak checker refuses to run under a
// tracer), which an injection would hit instead of the program's.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveStrace()) GTEST_SKIP() << "strace is not installed (scripts/install-deps.sh installs it)";
    if (kSanitized) GTEST_SKIP() << "the sanitizers' runtime makes file calls that an injection would hit";
    // Data on both sides of the replaced entry, the part after it long enough
    // to be copied by the kernel in more than one step.
    old_ = PackedWad({{"maps\\a.bin", std::string(300 << 10, 'a')},
                      {"maps\\b.bin", "bbbbbbbbbb"},
                      {"maps\\c.bin", std::string((9 << 20) + 123, 'c')}});
    WriteNativeFile(dir_.Native("src\\b.bin"), std::string(20, 'N'));
    fs::create_directories(dir_.Native("config"));
    WriteNativeFile(Archive(), old_);
    ASSERT_EQ(Update(""), 0);
    new_ = ReadNativeFile(Archive());
    ASSERT_NE(new_, old_);
  }

  std::string Archive() const { return dir_.Native("game\\cars.wad"); }

  // Runs the update of the archive, restored first, under strace with the given
  // strace options; its exit code.
  int Update(const std::string& straceOptions) {
    WriteNativeFile(Archive(), old_);
    fs::remove_all(dir_.Native("data"));
    return Cli(straceOptions, "update '" + Archive() + "' '" + dir_.Native("src") + "'");
  }

  // Runs skarvel-cli with the given words, under strace with its options when
  // given; its exit code. Its output goes to out.txt.
  int Cli(const std::string& straceOptions, const std::string& words) {
    std::string command = "XDG_CONFIG_HOME='" + dir_.Native("config") + "' XDG_DATA_HOME='" + dir_.Native("data") + "' ";
    if (!straceOptions.empty()) command += "strace -f -qq -o /dev/null " + straceOptions + " ";
    command += "'" SKARVEL_CLI_PATH "' " + words + " --quiet >'" + dir_.Native("out.txt") + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The number of patches that the archive's history lists.
  int RecordedPatches() {
    EXPECT_EQ(Cli("", "history '" + Archive() + "' --json"), 0);
    const std::string json = ReadNativeFile(dir_.Native("out.txt"));
    int count = 0;
    for (std::size_t at = json.find("\"number\""); at != std::string::npos; at = json.find("\"number\"", at + 1)) {
      ++count;
    }
    return count;
  }

  // How often a clean run of a command makes each of the file calls.
  std::map<std::string, int> CallCounts(const std::function<int(const std::string&)>& run) {
    const std::string table = dir_.Native("calls.txt");
    EXPECT_EQ(run("-c -o '" + table + "'"), 0);
    std::map<std::string, int> counts;
    std::ifstream in(table);
    for (std::string line; std::getline(in, line);) {
      std::istringstream fields(line);
      std::vector<std::string> words;
      for (std::string word; fields >> word;) words.push_back(word);
      if (words.size() >= 5 && kFileCalls.count(words.back()) > 0) counts[words.back()] = std::stoi(words[3]);
    }
    return counts;
  }

  // The restore of the update's patch, from the updated archive with its history.
  int Restore(const std::string& straceOptions) {
    EXPECT_EQ(Update(""), 0);
    return Cli(straceOptions, "restore '" + Archive() + "'");
  }

  // Whatever failed, the archive is whole, old or new, its history holds the
  // patch exactly when it is the new one, and a restore gives the old one back.
  void ExpectOldOrNewWithItsHistory(int code, bool successGivesNew) {
    const std::string now = ReadNativeFile(Archive());
    EXPECT_TRUE(now == old_ || now == new_) << "the archive is neither the old one nor the new one";
    if (code == 0) {
      EXPECT_TRUE(successGivesNew ? now == new_ : now == old_) << "a successful run left the other one";
    }
    // An update whose walk of the source folder failed found no file and
    // rewrote the archive unchanged, which is a patch too.
    const int patches = RecordedPatches();
    EXPECT_EQ(patches, now == new_ ? 1 : patches) << "the new archive without its patch";
    EXPECT_LE(patches, 1);
    if (patches > 0) {
      EXPECT_EQ(Cli("", "restore '" + Archive() + "' --original"), 0);
      EXPECT_TRUE(ReadNativeFile(Archive()) == old_) << "the restore gave back another archive";
    }
  }

  // Files beside the archive other than itself: a temporary file left behind.
  int Leftovers() const {
    int count = 0;
    for (const auto& item : fs::directory_iterator(dir_.Native("game"))) count += item.path().filename() != "cars.wad";
    return count;
  }

  TempDir dir_;
  std::string old_, new_;
};

TEST_F(FaultInjection, AFailureAtAnyFileCallLeavesTheOldArchiveOrTheNewOneWhole) {
  const std::map<std::string, int> counts = CallCounts([this](const std::string& o) { return Update(o); });
  ASSERT_GT(counts.count("copy_file_range"), 0u) << "the update no longer copies inside the kernel";
  for (const auto& [call, count] : counts) {
    for (int when = 1; when <= count; ++when) {
      SCOPED_TRACE(call + " #" + std::to_string(when) + " of " + std::to_string(count));
      const int code = Update("-e inject=" + call + ":error=EIO:when=" + std::to_string(when));
      // Only a failed removal may leave the temporary file; the archive stands.
      if (call != "unlink" && call != "unlinkat") {
        EXPECT_EQ(Leftovers(), 0);
      }
      EXPECT_EQ(ReadNativeFile(dir_.Native("src\\b.bin")), std::string(20, 'N'));
      ExpectOldOrNewWithItsHistory(code, true);
    }
  }
}

TEST_F(FaultInjection, ARestoreFailingAtAnyFileCallLeavesTheArchiveAndItsHistoryAsOneOrTheOther) {
  const std::map<std::string, int> counts = CallCounts([this](const std::string& o) { return Restore(o); });
  for (const auto& [call, count] : counts) {
    for (int when = 1; when <= count; ++when) {
      SCOPED_TRACE(call + " #" + std::to_string(when) + " of " + std::to_string(count));
      const int code = Restore("-e inject=" + call + ":error=EIO:when=" + std::to_string(when));
      if (call != "unlink" && call != "unlinkat") {
        EXPECT_EQ(Leftovers(), 0);
      }
      ExpectOldOrNewWithItsHistory(code, false);
    }
  }
}

// skarvel-cli killed (SIGKILL, as a crash or a power cut ends it) after delay;
// true when the kill came before the program ended on its own.
bool KilledAfter(const std::vector<std::string>& words, std::chrono::microseconds delay, const std::string& data) {
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen("/dev/null", "w", stderr)) _exit(126);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::vector<std::string> copies(words);
    std::vector<char*> argv{const_cast<char*>(SKARVEL_CLI_PATH)};
    for (std::string& word : copies) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(SKARVEL_CLI_PATH, argv.data());
    _exit(127);
  }
  std::this_thread::sleep_for(delay);
  const bool running = waitpid(child, nullptr, WNOHANG) == 0;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return running;
}

// A kill at any moment of an update, and of the restore of its patch: the
// archive and its history agree whenever the next command looks.
TEST_F(FaultInjection, AKillAtAnyMomentLeavesTheArchiveAndItsHistoryInAgreement) {
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Restore(""), 0);  // an update, then its restore: the span the kills are spread over
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  const std::string archive = Archive(), source = dir_.Native("src"), data = dir_.Native("data");
  int killedRunning = 0;
  for (int step = 0; step < 24; ++step) {
    const auto delay = span * step / 24 / 2;  // each of the two runs takes about half of it
    SCOPED_TRACE(std::to_string(delay.count()) + " µs");
    WriteNativeFile(archive, old_);
    fs::remove_all(data);
    killedRunning += KilledAfter({"update", archive, source, "--quiet"}, delay, data);
    ExpectOldOrNewWithItsHistory(1, true);
    ASSERT_EQ(Update(""), 0);
    killedRunning += KilledAfter({"restore", archive, "--quiet"}, delay, data);
    ExpectOldOrNewWithItsHistory(1, false);
  }
  EXPECT_GT(killedRunning, 0) << "no kill came while a program was running";
}

// Refusals that mean "not here" rather than "failed": the program takes the
// plain way and writes the same bytes.
TEST_F(FaultInjection, CallsTheSystemDoesNotOfferGiveTheSameArchive) {
  const std::vector<std::string> refusals = {"copy_file_range:error=EXDEV", "copy_file_range:error=ENOSYS",
                                             "copy_file_range:error=EINVAL:when=2+", "sync_file_range:error=EINVAL",
                                             "sync_file_range:error=ENOSYS"};
  for (const std::string& refusal : refusals) {
    SCOPED_TRACE(refusal);
    EXPECT_EQ(Update("-e inject=" + refusal), 0);
    EXPECT_TRUE(ReadNativeFile(Archive()) == new_);
    EXPECT_EQ(Leftovers(), 0);
  }
}

}  // namespace
}  // namespace skarvel::test
#endif
