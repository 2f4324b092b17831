#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "support/IoErrorCode.h"
#include "support/ParamName.h"
#include "support/TempDir.h"

namespace skarvel {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

std::set<std::string> NativeNames(const std::string& nativeFolder) {
  std::set<std::string> names;
  for (const auto& item : fs::directory_iterator(nativeFolder)) names.insert(item.path().filename().string());
  return names;
}

#ifndef _WIN32
mode_t ModeOf(const std::string& nativePath) {
  struct stat info {};
  EXPECT_EQ(stat(nativePath.c_str(), &info), 0);
  return info.st_mode & 07777;
}
#endif

constexpr int kMissingFolder = test::kMissingFolderCode;

using test::IoErrorCodeOf;

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteNativeFile(dir.Native("data.bin"), "0123456789");
    test::WriteNativeFile(dir.Native("locked.bin"), "keep me");
    test::MakeReadOnly(dir.Native("locked.bin"));
    fs::create_directory(dir.Native("folder"));
  }
  TempDir dir;
};

// The open rules, with the code each refusal must carry. Read-only is checked by
// the program, so these hold when the tests run as root too.
struct OpenCase {
  const char* name;
  const char* relative;
  int openCode;    // File::OpenExisting
  int createCode;  // File::Create
};

class OpenRulesTest : public FileSystemTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenRulesTest, RefusedWithTheTableCode) {
  const std::string path = dir.Internal(GetParam().relative);
  const std::string before = test::NativeExists(dir.Native(GetParam().relative)) && !fs::is_directory(dir.Native(GetParam().relative))
                                 ? test::ReadNativeFile(dir.Native(GetParam().relative))
                                 : std::string();
  EXPECT_EQ(IoErrorCodeOf([&] { File::OpenExisting(path); }), GetParam().openCode);
  EXPECT_EQ(IoErrorCodeOf([&] { File::Create(path); }), GetParam().createCode);
  // A refused file keeps its bytes: it is checked before it is truncated.
  if (GetParam().createCode != 0 && !before.empty()) {
    EXPECT_EQ(test::ReadNativeFile(dir.Native(GetParam().relative)), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenRulesTest,
    ::testing::Values(OpenCase{"missing", "nothing.bin", 2, 0}, OpenCase{"missingFolder", "nowhere\\x.bin", kMissingFolder, kMissingFolder},
                      OpenCase{"throughAFile", "data.bin\\x.bin", 3, 3}, OpenCase{"folder", "folder", 5, 5},
                      OpenCase{"readOnly", "locked.bin", 5, 5}, OpenCase{"plain", "data.bin", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileSystemTest, ReadOnlyFileShowsTheAccessText) {
  try {
    File::OpenExisting(dir.Internal("locked.bin"));
    FAIL() << "a read-only file was opened";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), 5);
    EXPECT_EQ(std::string(error.what()), Utf8ToCp1252("Accès au fichier refusé"));
  }
}

TEST_F(FileSystemTest, ReadsAndWritesExactCountsAtAbsolutePositions) {
  File file = File::OpenExisting(dir.Internal("data.bin"));
  EXPECT_EQ(file.Size(), 10);
  char buffer[4] = {};
  file.Seek(6);
  file.Read(buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  // ReadAt leaves the position where it was.
  file.Seek(1);
  file.ReadAt(7, buffer, 2);
  EXPECT_EQ(std::string(buffer, 2), "78");
  file.Read(buffer, 1);
  EXPECT_EQ(buffer[0], '1');
  // Past the end is a valid position to write at; the gap reads as zeros.
  file.Seek(12);
  file.Write("AB", 2);
  EXPECT_EQ(file.Size(), 14);
  file.Close();
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), std::string("0123456789\0\0AB", 14));
}

TEST_F(FileSystemTest, ShortReadsAndBadPositionsFail) {
  File file = File::OpenExisting(dir.Internal("data.bin"));
  char buffer[16];
  file.Seek(8);
  EXPECT_EQ(IoErrorCodeOf([&] { file.Read(buffer, 3); }), 100);
  EXPECT_EQ(IoErrorCodeOf([&] { file.ReadAt(5, buffer, 6); }), 100);
  EXPECT_EQ(IoErrorCodeOf([&] { file.ReadAt(-1, buffer, 1); }), 131);
  EXPECT_EQ(IoErrorCodeOf([&] { file.Seek(-1); }), 131);
  file.Seek(100);
  EXPECT_EQ(IoErrorCodeOf([&] { file.Read(buffer, 1); }), 100);
}

// The POSIX file layer's own cases: file size limits, permission bits, links and
// the length of a name. The Win32 counterparts are in tests/win32.
#ifndef _WIN32
TEST_F(FileSystemTest, WriteThatStoresPartOfItsBytesIsAFullDisk) {
  File file = File::Create(dir.Internal("limited.bin"));
  // A file size limit makes the system store part of the write and refuse the rest.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 6;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const int code = IoErrorCodeOf([&] { file.Write("0123456789", 10); });
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(code, 101);
}

#endif

TEST_F(FileSystemTest, CreateTruncatesAnExistingFile) {
  File file = File::Create(dir.Internal("data.bin"));
  EXPECT_EQ(file.Size(), 0);
  file.Write("xy", 2);
  file.Close();
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "xy");
}

#ifndef _WIN32
TEST_F(FileSystemTest, ReplacementReplacesAndKeepsPermissions) {
  ASSERT_EQ(chmod(dir.Native("data.bin").c_str(), 0640), 0);
  const auto namesBefore = NativeNames(dir.native());
  {
    ReplacementFile replacement(dir.Internal("data.bin"));
    replacement.file().Write("new content", 11);
    // Until the commit the old version is what others see.
    EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "0123456789");
    replacement.Commit();
  }
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "new content");
  EXPECT_EQ(ModeOf(dir.Native("data.bin")), 0640u);
  EXPECT_EQ(NativeNames(dir.native()), namesBefore);
}

TEST_F(FileSystemTest, ReplacementOfANewFileGetsTheUsualPermissions) {
  const mode_t mask = umask(022);
  {
    ReplacementFile replacement(dir.Internal("fresh.bin"));
    replacement.file().Write("x", 1);
    replacement.Commit();
  }
  umask(mask);
  EXPECT_EQ(ModeOf(dir.Native("fresh.bin")), 0644u);
}

TEST_F(FileSystemTest, ReplacementThroughALinkReplacesTheLinkedFile) {
  fs::create_symlink("data.bin", dir.Native("link.bin"));
  {
    ReplacementFile replacement(dir.Internal("link.bin"));
    replacement.file().Write("via link", 8);
    replacement.Commit();
  }
  EXPECT_TRUE(fs::is_symlink(dir.Native("link.bin")));
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "via link");
}

TEST_F(FileSystemTest, ReplacementOfAFileWithTheLongestNameAllowed) {
  // The temporary file beside it must not need a longer name than the system allows.
  const std::string name(255, 'n');
  test::WriteNativeFile(dir.Native(name), "old");
  {
    ReplacementFile replacement(dir.Internal(name));
    replacement.file().Write("new", 3);
    replacement.Commit();
  }
  EXPECT_EQ(test::ReadNativeFile(dir.Native(name)), "new");
}

#endif

TEST_F(FileSystemTest, FailedReplacementLeavesTargetAndNoTemporaryFile) {
  const auto namesBefore = NativeNames(dir.native());
  try {
    ReplacementFile replacement(dir.Internal("data.bin"));
    replacement.file().Write("half", 4);
    throw std::runtime_error("the operation failed half way");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "0123456789");
  EXPECT_EQ(NativeNames(dir.native()), namesBefore);

  // The target turned read-only while the new version was written: refused at
  // the commit, nothing replaced.
  {
    ReplacementFile replacement(dir.Internal("data.bin"));
    replacement.file().Write("late", 4);
    test::MakeReadOnly(dir.Native("data.bin"));
    EXPECT_EQ(IoErrorCodeOf([&] { replacement.Commit(); }), 5);
  }
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "0123456789");
  EXPECT_EQ(NativeNames(dir.native()), namesBefore);
}

// A replacement is handed to the disk in steps of a few MiB as it is written;
// writes and copies of any length around those steps must give the same bytes.
// A piece is written from memory (copy false) or copied from a source file at
// sourceAt.
struct ReplacementPiece {
  bool copy;
  std::int64_t size;
  std::int64_t sourceAt = 0;
};

TEST_F(FileSystemTest, ReplacementWrittenAndCopiedInPiecesAcrossManyMiB) {
  const std::int64_t MiB = std::int64_t{1} << 20;
  std::string source(static_cast<std::size_t>(40 * MiB), '\0');
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>((i * 7919) >> 9);
  test::WriteNativeFile(dir.Native("source.bin"), source);
  const std::vector<std::vector<ReplacementPiece>> cases = {
      {{true, 40 * MiB}},                                      // one copy of many steps
      {{false, 3 * MiB}, {true, 20 * MiB + 5, 12345}, {false, 5}, {true, 1, 7}},
      {{false, 8 * MiB - 1}, {true, 2, 3}, {false, 9 * MiB}, {true, 17 * MiB, 23 * MiB - 9}},
  };
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    std::string expected;
    {
      File from = File::OpenExisting(dir.Internal("source.bin"));
      ReplacementFile replacement(dir.Internal("data.bin"));
      for (const ReplacementPiece& piece : cases[c]) {
        const std::string bytes = source.substr(static_cast<std::size_t>(piece.sourceAt), static_cast<std::size_t>(piece.size));
        if (piece.copy) {
          replacement.file().CopyFrom(from, piece.sourceAt, piece.size);
        } else {
          replacement.file().Write(bytes.data(), bytes.size());
        }
        expected += bytes;
      }
      from.Close();
      replacement.Commit();
    }
    const std::string written = test::ReadNativeFile(dir.Native("data.bin"));
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
  }
  // A copy that runs past the end of its source is a short read, and the
  // replacement it was for never happens.
  {
    File from = File::OpenExisting(dir.Internal("source.bin"));
    ReplacementFile replacement(dir.Internal("source.bin"));
    EXPECT_EQ(IoErrorCodeOf([&] { replacement.file().CopyFrom(from, 40 * MiB - 3, 9 * MiB); }), 100);
  }
  EXPECT_TRUE(test::ReadNativeFile(dir.Native("source.bin")) == source);
}

TEST_F(FileSystemTest, ReplacementRefusesReadOnlyAndFolderTargetsAtOnce) {
  const auto namesBefore = NativeNames(dir.native());
  EXPECT_EQ(IoErrorCodeOf([&] { ReplacementFile replacement(dir.Internal("locked.bin")); }), 5);
  EXPECT_EQ(IoErrorCodeOf([&] { ReplacementFile replacement(dir.Internal("folder")); }), 5);
  EXPECT_EQ(IoErrorCodeOf([&] { ReplacementFile replacement(dir.Internal("nowhere\\x.bin")); }), kMissingFolder);
  EXPECT_EQ(test::ReadNativeFile(dir.Native("locked.bin")), "keep me");
  EXPECT_EQ(NativeNames(dir.native()), namesBefore);
}

TEST_F(FileSystemTest, ExistenceTellsFilesFromFolders) {
  struct Case {
    const char* relative;
    bool file;
    bool folder;
  };
  std::vector<Case> cases = {Case{"data.bin", true, false}, Case{"folder", false, true}, Case{"nothing", false, false},
                             Case{"data.bin\\x", false, false}};
#ifndef _WIN32
  fs::create_symlink("data.bin", dir.Native("fileLink"));
  fs::create_symlink("folder", dir.Native("folderLink"));
  cases.insert(cases.end(), {Case{"fileLink", true, false}, Case{"folderLink", false, true}});
#endif
  for (const Case& c : cases) {
    EXPECT_EQ(FileExists(dir.Internal(c.relative)), c.file) << c.relative;
    EXPECT_EQ(FolderExists(dir.Internal(c.relative)), c.folder) << c.relative;
  }
}

#ifndef _WIN32
TEST_F(FileSystemTest, AttributesMapReadOnlyToTheWriteBits) {
  const std::string path = dir.Internal("data.bin");
  EXPECT_EQ(GetFileAttributes(path), 0u);
  EXPECT_EQ(GetFileAttributes(dir.Internal("folder")), static_cast<std::uint32_t>(kAttrDirectory));
  EXPECT_EQ(GetFileAttributes(dir.Internal("locked.bin")), static_cast<std::uint32_t>(kAttrReadOnly));

  SetFileAttributes(path, kAttrReadOnly | kAttrHidden);
  EXPECT_TRUE(test::IsReadOnly(dir.Native("data.bin")));
  EXPECT_EQ(GetFileAttributes(path), static_cast<std::uint32_t>(kAttrReadOnly));
  EXPECT_EQ(IoErrorCodeOf([&] { File::OpenExisting(path); }), 5);

  // What the update does to a source file: clear everything, then the archive
  // attribute alone. Both leave it writable by its owner.
  SetFileAttributes(path, 0);
  EXPECT_EQ(ModeOf(dir.Native("data.bin")) & S_IWUSR, static_cast<mode_t>(S_IWUSR));
  SetFileAttributes(path, kAttrArchive);
  EXPECT_EQ(GetFileAttributes(path), 0u);
  EXPECT_NO_THROW(File::OpenExisting(path));

  EXPECT_EQ(IoErrorCodeOf([&] { GetFileAttributes(dir.Internal("nothing")); }), 2);
  EXPECT_EQ(IoErrorCodeOf([&] { SetFileAttributes(dir.Internal("nothing"), 0); }), 2);
}

// An open file answers for its length and attributes from the look-up its open
// made, and sets its attributes without its path; moving it keeps what it knows.
TEST_F(FileSystemTest, AnOpenFileKnowsItsLengthAndSetsItsAttributes) {
  File opened = File::OpenExisting(dir.Internal("data.bin"));
  File file = std::move(opened);
  EXPECT_EQ(file.LengthAtOpen(), 10);
  file.Seek(20);
  file.Write("x", 1);
  EXPECT_EQ(file.LengthAtOpen(), 10) << "what the open found, not the length now";
  const mode_t before = ModeOf(dir.Native("data.bin"));
  file.SetAttributes(kAttrArchive);  // not read-only already: nothing changes
  EXPECT_EQ(ModeOf(dir.Native("data.bin")), before);
  file.SetAttributes(kAttrReadOnly | kAttrArchive);
  EXPECT_TRUE(test::IsReadOnly(dir.Native("data.bin")));
  file.SetAttributes(kAttrArchive);
  EXPECT_EQ(ModeOf(dir.Native("data.bin")) & S_IWUSR, static_cast<mode_t>(S_IWUSR));
  file.Close();
  EXPECT_EQ(File::Create(dir.Internal("new.bin")).LengthAtOpen(), 0);
}
#endif

TEST_F(FileSystemTest, ForceDirectoriesMakesTheWholeChain) {
  EXPECT_TRUE(ForceDirectories(dir.Internal("a\\b\\c")));
  EXPECT_TRUE(fs::is_directory(dir.Native("a/b/c")));
  EXPECT_TRUE(ForceDirectories(dir.Internal("a\\b\\")));  // already there, trailing "\"
  EXPECT_FALSE(ForceDirectories(dir.Internal("data.bin\\sub")));
  EXPECT_FALSE(ForceDirectories(dir.Internal("data.bin")));
  EXPECT_EQ(test::ReadNativeFile(dir.Native("data.bin")), "0123456789");
}

TEST_F(FileSystemTest, CurrentDirectoryAndSizes) {
  const std::string saved = fs::current_path().string();
  fs::current_path(dir.Native("folder"));
  const std::string current = CurrentDirectory();
  fs::current_path(saved);
  EXPECT_EQ(current, ToInternalPath(fs::canonical(dir.Native("folder")).string()));
  EXPECT_NE(current.back(), '\\');

  EXPECT_EQ(FileSizeOf(dir.Internal("data.bin")), 10);
  EXPECT_EQ(IoErrorCodeOf([&] { FileSizeOf(dir.Internal("nothing")); }), 2);
}

// The directory search: which names a mask lets through. "*.*" is everything,
// names without a dot included, as on Windows; case does not matter.
struct MaskCase {
  const char* mask;
  std::vector<std::string> names;
};

// The mask in words, since its "*" and "?" cannot stand in a test's name.
void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << "mask";
  for (const char ch : std::string(c.mask)) *os << (ch == '*' ? " star " : ch == '?' ? " any " : std::string(1, ch));
}

class SearchMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SearchMaskTest, MatchesWhatWindowsWouldMatch) {
  TempDir dir;
  for (const char* name : {"a.txt", "B.TXT", "noext", "x.wad", "ab.c", ".hidden", "sub"}) {
    if (std::string(name) == "sub") {
      fs::create_directory(dir.Native(name));
    } else {
      test::WriteNativeFile(dir.Native(name), "");
    }
  }
  std::vector<std::string> found;
  for (const DirectoryEntry& entry : SearchDirectory(dir.internal(), GetParam().mask)) {
    if (entry.name != "." && entry.name != "..") found.push_back(entry.name);
  }
  std::sort(found.begin(), found.end());  // the order is the system's; only the set is checked here
  std::vector<std::string> expected = GetParam().names;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, SearchMaskTest,
    ::testing::Values(MaskCase{"*.*", {"a.txt", "B.TXT", "noext", "x.wad", "ab.c", ".hidden", "sub"}},
                      MaskCase{"*", {"a.txt", "B.TXT", "noext", "x.wad", "ab.c", ".hidden", "sub"}},
                      MaskCase{"*.txt", {"a.txt", "B.TXT"}}, MaskCase{"?.TXT", {"a.txt", "B.TXT"}},
                      MaskCase{"a*", {"a.txt", "ab.c"}}, MaskCase{"*b*", {"B.TXT", "ab.c", "sub"}},
                      MaskCase{"x.wad", {"x.wad"}}, MaskCase{"??", {}}, MaskCase{"*.hidden", {".hidden"}}), test::PrintedParamName());

#ifndef _WIN32
TEST(SearchDirectoryTest, KindsOfEntries) {
  TempDir dir;
  test::WriteNativeFile(dir.Native("file"), "");
  fs::create_directory(dir.Native("folder"));
  fs::create_symlink("file", dir.Native("fileLink"));
  fs::create_symlink("folder", dir.Native("folderLink"));
  fs::create_symlink("missing", dir.Native("danglingLink"));
  struct Kind {
    bool isFolder;
    bool isLinkToFolder;
  };
  std::map<std::string, Kind> kinds;
  for (const DirectoryEntry& entry : SearchDirectory(dir.internal(), "*.*")) {
    kinds[entry.name] = {entry.isFolder, entry.isLinkToFolder};
  }
  ASSERT_EQ(kinds.size(), 7u);  // with "." and ".."
  EXPECT_TRUE(kinds["."].isFolder);
  EXPECT_TRUE(kinds["folder"].isFolder && !kinds["folder"].isLinkToFolder);
  EXPECT_TRUE(!kinds["folderLink"].isFolder && kinds["folderLink"].isLinkToFolder);
  for (const char* name : {"file", "fileLink", "danglingLink"}) {
    EXPECT_TRUE(!kinds[name].isFolder && !kinds[name].isLinkToFolder) << name;
  }
  EXPECT_TRUE(SearchDirectory(dir.Internal("missing"), "*.*").empty());
  EXPECT_TRUE(SearchDirectory(dir.Internal("file"), "*.*").empty());
}

TEST(SearchDirectoryTest, NamesTheInternalFormCannotHoldAreRefusedClearly) {
  struct Case {
    const char* nativeName;
    const char* shownAs;  // in the message, internal form
  };
  for (const Case& c : {Case{"caf\u00E9 \u4E2D.txt", "caf\xE9 ?.txt"}, Case{"back\\slash.txt", "back\\slash.txt"},
                        Case{"bad\xFF.txt", "bad?.txt"}}) {
    TempDir dir;
    test::WriteNativeFile(dir.native() + "/" + c.nativeName, "");
    try {
      SearchDirectory(dir.internal(), "*.*");
      ADD_FAILURE() << "accepted " << c.nativeName;
    } catch (const RefusedError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(DisplayPath(dir.internal())), std::string::npos) << message;
      EXPECT_NE(message.find(c.shownAs), std::string::npos) << message;
    }
  }
}

#endif

}  // namespace
}  // namespace skarvel
