#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/EntryNames.h"
#include "archive/WadExtract.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

namespace fs = std::filesystem;
using test::NativeExists;
using test::PackedWad;
using test::ReadNativeFile;
using test::ScriptedWorkbench;
using test::TempDir;
using test::TreeSnapshot;
using test::WriteNativeFile;

using Tree = std::map<std::string, std::string>;

constexpr EntryNameRules kPosix{.windows = false, .posixComponentLimit = true};
constexpr EntryNameRules kWindows{.windows = true, .posixComponentLimit = false};

struct NameCase {
  std::string name;
  bool refusedOnPosix;
  bool refusedOnWindows;
};

std::string Printable(const std::string& name) { return QuotedEntryName(name); }

// Escapes and what a platform cannot hold are refused; odd but sound names are not.
const std::vector<NameCase>& NameCorpus() {
  static const std::vector<NameCase> corpus = {
      {"..\\x", true, true},
      {"a\\..\\..\\x", true, true},
      {"..\\..\\..\\..\\..\\..\\tmp\\x", true, true},
      {"\\x", true, true},
      {"\\\\server\\share\\x", true, true},
      {"C:x", true, true},
      {"C:\\x", true, true},
      {"a:b", true, true},
      {"a/../../x", true, true},
      {"/etc/passwd", true, true},
      {"..", true, true},
      {".", true, true},
      {"a\\.\\b", true, true},
      {"a\\..", true, true},
      {"a\\\\b", true, true},
      {"a\\", true, true},
      {"", true, true},
      {std::string("a\x01") + "b", true, true},
      {"a\x7F", true, true},
      {"tab\there", true, true},
      {std::string(128, '\xE9'), true, false},  // 256 bytes once in UTF-8
      {"CON", false, true},
      {"con.txt", false, true},
      {"sub\\NUL.tar.gz", false, true},
      {"Aux .x", false, true},
      {"COM1", false, true},
      {"lpt9.log", false, true},
      {"COM\xB9", false, true},
      {"x.", false, true},
      {"x ", false, true},
      {"a.\\b", false, true},
      {"a<b", false, true},
      {"a>b", false, true},
      {"a\"b", false, true},
      {"a|b", false, true},
      {"a?b", false, true},
      {"a*b", false, true},
      // Sound names that look odd.
      {"COM10", false, false},
      {"CONSOLE.txt", false, false},
      {"a..b", false, false},
      {"..x", false, false},
      {"x y\\a b.txt", false, false},
      {"caf\xE9\\\xE9t\xE9.tex", false, false},
      {std::string(128, 'n'), false, false},
      {std::string(85, '\xE9'), false, false},  // 255 bytes once in UTF-8
  };
  return corpus;
}

TEST(HostileNamesRulesTest, EachNameIsRefusedExactlyWhereItIsUnsafe) {
  for (const NameCase& c : NameCorpus()) {
    EXPECT_EQ(UnsafeEntryNameReason(c.name, kPosix).has_value(), c.refusedOnPosix) << Printable(c.name);
    EXPECT_EQ(UnsafeEntryNameReason(c.name, kWindows).has_value(), c.refusedOnWindows) << Printable(c.name);
  }
}

TEST(HostileNamesRulesTest, ThisPlatformUsesItsOwnRules) {
#ifdef _WIN32
  EXPECT_TRUE(UnsafeEntryNameReason("CON").has_value());
#else
  EXPECT_FALSE(UnsafeEntryNameReason("CON").has_value());
  EXPECT_TRUE(UnsafeEntryNameReason(std::string(128, '\xE9')).has_value());
#endif
  EXPECT_TRUE(UnsafeEntryNameReason("..\\x").has_value());
}

TEST(HostileNamesRulesTest, MessagesShowControlCharactersVisibly) {
  EXPECT_EQ(QuotedEntryName(std::string("a\x01\\b\x7F", 5)), "\"a[0x01]\\b[0x7F]\"");
}

TEST(HostileNamesRulesTest, AFileCannotAlsoBeTheFolderOfAnother) {
  struct Case {
    std::vector<std::string> names;
    std::optional<std::string> posix, windows;
  };
  const std::vector<Case> cases = {
      {{"a", "a\\b"}, "a", "a"},
      {{"x\\y\\z", "x\\y"}, "x\\y", "x\\y"},
      {{"A", "a\\b"}, std::nullopt, "A"},  // one path on Windows, two on POSIX
      {{"a", "a"}, std::nullopt, std::nullopt},  // the later one wins, as it does for any file
      {{"a\\b", "a\\c", "ab"}, std::nullopt, std::nullopt},
      {{}, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameUsedAsFolder(c.names, kPosix), c.posix) << c.names.size();
    EXPECT_EQ(NameUsedAsFolder(c.names, kWindows), c.windows) << c.names.size();
  }
}

class HostileNamesTest : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir archives;  // apart, so that a snapshot of dir sees only what extraction did
  AppState state{Registry::AtFolder(archives.Native("registry"))};
  ScriptedWorkbench bench;

  void SetUp() override {
    WriteNativeFile(dir.Native("outside\\f"), "outside data");
    WriteNativeFile(dir.Native("a\\b\\c\\sibling"), "sibling data");
  }
  void Extract(const std::vector<test::TestEntry>& entries, const std::string& relativeTarget = "a\\b\\c\\target") {
    WriteNativeFile(archives.Native("archive.wad"), PackedWad(entries));
    bench.archiveText = archives.Internal("archive.wad");
    bench.dialogAnswers.push_back(dir.Internal(relativeTarget));
    ExtractClick(state, bench);
  }
};

TEST_F(HostileNamesTest, AnUnsafeNameRefusesTheWholeArchiveAndWritesNothing) {
  int refused = 0;
  for (const NameCase& c : NameCorpus()) {
    if (!UnsafeEntryNameReason(c.name).has_value()) continue;
    ++refused;
    const Tree before = TreeSnapshot(dir.native());
    try {
      Extract({{"first", "written before?"}, {c.name, "evil"}, {"last", "l"}});
      ADD_FAILURE() << Printable(c.name) << " was not refused";
    } catch (const RefusedError& error) {
      // The archive as the user knows its path, the entry as the archive holds it.
      EXPECT_NE(std::string(error.what()).find("The wad file " + DisplayPath(archives.Internal("archive.wad")) +
                                               " holds the entry " + QuotedEntryName(c.name)),
                std::string::npos)
          << error.what();
    }
    EXPECT_EQ(TreeSnapshot(dir.native()), before) << Printable(c.name) << ": nothing may be written anywhere";
    EXPECT_FALSE(NativeExists(dir.Native("a\\b\\c\\target")));
  }
  EXPECT_GE(refused, 15);
}

TEST_F(HostileNamesTest, AFileThatIsAlsoAFolderRefusesTheWholeArchive) {
  const Tree before = TreeSnapshot(dir.native());
  for (const std::vector<test::TestEntry>& entries :
       {std::vector<test::TestEntry>{{"first", "1"}, {"a", "file"}, {"a\\b", "inside"}},
        std::vector<test::TestEntry>{{"first", "1"}, {"a\\b", "inside"}, {"a", "file"}}}) {
    EXPECT_THROW(Extract(entries), RefusedError);
    EXPECT_EQ(TreeSnapshot(dir.native()), before) << "refused before the first file";
  }
}

struct LinkCase {
  const char* what;
  std::string link;        // below the target
  std::string pointsTo;    // below the temp folder
  std::string entry;
  std::string outsideFile; // must stay as it was, or stay missing
};

// Links as POSIX makes them; the Windows suite plants junctions (tests/win32).
#ifndef _WIN32
class HostileLinkTest : public HostileNamesTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(HostileLinkTest, NothingIsWrittenThroughALinkBelowTheTarget) {
  const LinkCase& c = GetParam();
  const std::string target = "a\\b\\c\\target";
  fs::create_directories(fs::path(dir.Native(target + "\\" + c.link)).parent_path());
  fs::create_symlink(dir.Native(c.pointsTo), dir.Native(target + "\\" + c.link));
  const bool existed = NativeExists(dir.Native(c.outsideFile));
  const std::string outsideBefore = existed ? ReadNativeFile(dir.Native(c.outsideFile)) : "";
  try {
    Extract({{c.entry, "evil"}}, target);
    FAIL() << "not refused";
  } catch (const RefusedError& error) {
    // The link is a folder on the disk, named as the user knows it; the file not
    // written is the archive's entry and keeps its "\\".
    EXPECT_NE(std::string(error.what()).find("\"" + DisplayPath(c.link) + "\" in the folder \"" +
                                             DisplayPath(dir.Internal(target)) + "\""),
              std::string::npos)
        << error.what();
    EXPECT_NE(std::string(error.what()).find("so \"" + c.entry + "\" is not written"), std::string::npos)
        << error.what();
  }
  ASSERT_EQ(NativeExists(dir.Native(c.outsideFile)), existed);
  if (existed) {
    EXPECT_EQ(ReadNativeFile(dir.Native(c.outsideFile)), outsideBefore);
  }
  EXPECT_EQ(ReadNativeFile(dir.Native("outside\\f")), "outside data");
}

INSTANTIATE_TEST_SUITE_P(
    Links, HostileLinkTest,
    ::testing::Values(LinkCase{"FolderLink", "link", "outside", "link\\f", "outside\\f"},
                      LinkCase{"FolderLinkDeeper", "sub\\link", "outside", "sub\\link\\f", "outside\\f"},
                      LinkCase{"FolderLinkToANewFile", "link", "outside", "link\\new", "outside\\new"},
                      LinkCase{"FolderLinkFolderToMake", "link", "outside", "link\\made\\g", "outside\\made"},
                      LinkCase{"FileLink", "file", "outside\\f", "file", "outside\\f"},
                      LinkCase{"DanglingFileLink", "dangling", "outside\\planted", "dangling", "outside\\planted"},
                      LinkCase{"LinkInsideTheTarget", "inner", "a\\b\\c\\target\\real", "inner\\f",
                               "a\\b\\c\\target\\real\\f"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(HostileNamesTest, TheTargetItselfMayBeALinkTheUserChose) {
  fs::create_directories(dir.Native("real"));
  fs::create_symlink(dir.Native("real"), dir.Native("chosen"));
  Extract({{"x\\y", "data"}}, "chosen");
  EXPECT_EQ(ReadNativeFile(dir.Native("real\\x\\y")), "data");
}
#endif

TEST_F(HostileNamesTest, OddButSoundNamesStillExtract) {
  std::vector<test::TestEntry> entries;
  Tree expected;
  for (const NameCase& c : NameCorpus()) {
    if (c.refusedOnPosix || c.refusedOnWindows) continue;
    entries.push_back({c.name, "data of " + c.name});
    std::string native = ToNativePath(c.name);
    std::replace(native.begin(), native.end(), '\\', '/');  // a snapshot separates by "/"
    expected[native] = "data of " + c.name;
    for (auto slash = native.find('/'); slash != std::string::npos; slash = native.find('/', slash + 1))
      expected[native.substr(0, slash)] = "<dir>";
  }
  Extract(entries, "target");
  EXPECT_EQ(TreeSnapshot(dir.Native("target")), expected);
}

}  // namespace
}  // namespace skarvel
