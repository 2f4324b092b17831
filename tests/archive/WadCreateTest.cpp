#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/AppState.h"
#include "archive/WadArchive.h"
#include "archive/WadCreate.h"
#include "archive/WadExtract.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/Messages.h"
#include "support/OperationTest.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::Int32Bytes;
using test::MakeReadOnly;
using test::NativeExists;
using test::PackedWad;
using test::RawRecord;
using test::ReadNativeFile;
using test::ScriptedWorkbench;
using test::TempDir;
using test::TestEntry;
using test::TreeSnapshot;
using test::WriteNativeFile;

using Tree = std::map<std::string, std::string>;

class WadCreateTest : public test::OperationTest {
 protected:
  void Create(const std::string& sourceText, const std::string& relativeTarget) {
    bench.sourceText = sourceText;
    bench.dialogAnswers.push_back(dir.Internal(relativeTarget));
    LMDCreateWadClick(state, bench);
  }
  // The archive the creation should have written: the files in source-list
  // order, named by their paths below prefix.
  std::string Expected(const std::string& prefix) const {
    std::vector<TestEntry> entries;
    for (const std::string& path : state.sources) {
      EXPECT_TRUE(path.starts_with(prefix)) << path;
      entries.push_back({path.substr(prefix.size()), ReadNativeFile(ToNativePath(path))});
    }
    return PackedWad(entries);
  }
  std::vector<std::string> SortedNames() const {
    std::vector<std::string> names;
    for (const WadDirEntry& entry : state.wad.Entries) names.push_back(EntryName(entry));
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Setting(const std::string& name) const { return state.settings.ReadString(name, "<unset>"); }
};

TEST_F(WadCreateTest, TwoFilesOfTenAndTwentyBytesMakeThe306ByteArchive) {
  WriteNativeFile(dir.Native("src\\b\\one"), std::string(10, '1'));
  WriteNativeFile(dir.Native("src\\b\\two"), std::string(20, '2'));
  Create(dir.Internal("src\\b"), "out.wad");
  const std::string written = ReadNativeFile(dir.Native("out.wad"));
  ASSERT_EQ(written.size(), 306u);
  ASSERT_EQ(state.sources.size(), 2u);
  const bool oneFirst = state.sources[0].ends_with("one");
  const std::string first = oneFirst ? "one" : "two", second = oneFirst ? "two" : "one";
  const std::int32_t firstSize = oneFirst ? 10 : 20, secondSize = oneFirst ? 20 : 10;
  EXPECT_EQ(written, Int32Bytes(2) + RawRecord(first, 276, firstSize) + RawRecord(second, 276 + firstSize, secondSize) +
                         ReadNativeFile(dir.Native("src\\b\\" + first)) + ReadNativeFile(dir.Native("src\\b\\" + second)));
  EXPECT_EQ(state.wad.Entries.at(0).Offset, 276);
  EXPECT_EQ(state.wad.Entries.at(1).Offset, 276 + firstSize);
  EXPECT_EQ(bench.dialogs.at(0).proposedName, "b.wad");
  EXPECT_EQ(bench.dialogs.at(0).filter, "Wad file(*.wad)|*.wad");
}

TEST_F(WadCreateTest, FourFilesShowTwentyFiveToHundredThenTheTime) {
  for (const char* name : {"a", "b", "c", "d"}) WriteNativeFile(dir.Native(std::string("src\\") + name), name);
  state.wad.Count = 9;
  Create(dir.Internal("src"), "out.wad");
  ASSERT_EQ(bench.captions.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(bench.captions.begin(), bench.captions.begin() + 4),
            (std::vector<std::string>{"Creating files : 25%", "Creating files : 50%", "Creating files : 75%",
                                      "Creating files : 100%"}));
  EXPECT_TRUE(bench.captions[4].starts_with("Wad created in ") && bench.captions[4].ends_with("s"))
      << bench.captions[4];
  EXPECT_EQ(bench.positions, (std::vector<int>{25, 50, 75, 100, 0}));
  EXPECT_EQ(bench.events.at(1), "window-repaint");
  EXPECT_EQ(Setting("FileName"), dir.Internal("src"));
  EXPECT_EQ(state.wad.Count, 9) << "the creation leaves the count alone";
  EXPECT_EQ(SortedNames(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadNativeFile(dir.Native("out.wad")), Expected(dir.Internal("src\\")));
}

struct TreeCase {
  const char* what;
  Tree files;         // relative internal paths below src; "<dir>" makes an empty folder
  bool trailingSeparator;
  std::vector<std::string> names;  // sorted
};

class WadCreateTreeTest : public WadCreateTest, public ::testing::WithParamInterface<TreeCase> {};

TEST_P(WadCreateTreeTest, NamesAreThePathsBelowTheSourceFolder) {
  const TreeCase& c = GetParam();
  for (const auto& [relative, content] : c.files) {
    if (content == "<dir>") {
      std::filesystem::create_directories(dir.Native(ToNativePath("src\\" + relative)));
    } else {
      WriteNativeFile(dir.Native(ToNativePath("src\\" + relative)), content);
    }
  }
  Create(dir.Internal("src") + (c.trailingSeparator ? "\\" : ""), "out.wad");
  EXPECT_EQ(SortedNames(), c.names);
  EXPECT_EQ(ReadNativeFile(dir.Native("out.wad")), Expected(dir.Internal("src\\")));

  // What extraction makes of it is the source tree again, without the empty folders.
  bench.archiveText = dir.Internal("out.wad");
  bench.dialogAnswers.push_back(dir.Internal("back"));
  ExtractClick(state, bench);
  Tree withoutEmptyFolders = TreeSnapshot(dir.Native("src"));
  std::erase_if(withoutEmptyFolders, [](const auto& item) { return item.first.starts_with("empty"); });
  EXPECT_EQ(TreeSnapshot(dir.Native("back")), withoutEmptyFolders);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, WadCreateTreeTest,
    ::testing::Values(
        TreeCase{"Flat", {{"x.tex", "x"}, {"y", "yy"}}, false, {"x.tex", "y"}},
        TreeCase{"TrailingSeparator", {{"cars\\x.tex", "x"}, {"y", "yy"}}, true, {"cars\\x.tex", "y"}},
        TreeCase{"NestedFolders",
                 {{"cars\\x.tex", "x"}, {"maps\\monaco2001\\deep\\z.bin", "zzz"}, {"top", "t"}},
                 false,
                 {"cars\\x.tex", "maps\\monaco2001\\deep\\z.bin", "top"}},
        TreeCase{"HiddenFilesAndCase",
                 {{".hidden", "h"}, {"Sub\\.Also", "a"}, {"MiXeD.TeX", "m"}},
                 false,
                 {".hidden", "MiXeD.TeX", "Sub\\.Also"}},
        TreeCase{"EmptyFoldersAndEmptyFiles",
                 {{"empty", "<dir>"}, {"empty2\\inner", "<dir>"}, {"zero", ""}, {"one", "1"}},
                 false,
                 {"one", "zero"}},
        TreeCase{"Windows1252Names", {{"caf\xE9.tex", "c"}, {"b", "b"}}, false, {"b", "caf\xE9.tex"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WadCreateTest, AnEmptyFileSharesItsOffsetWithTheNext) {
  WriteNativeFile(dir.Native("src\\a"), "");
  WriteNativeFile(dir.Native("src\\b"), "bbb");
  Create(dir.Internal("src"), "out.wad");
  ASSERT_EQ(state.wad.Entries.size(), 2u);
  const WadDirEntry& empty = state.wad.Entries[EntryName(state.wad.Entries[0]) == "a" ? 0 : 1];
  EXPECT_EQ(empty.Size, 0);
  EXPECT_EQ(empty.Offset, EntryName(state.wad.Entries[0]) == "a" ? 4 + 2 * 136 : 4 + 2 * 136 + 3);
}

struct RefusalCase {
  const char* what;
  Tree files;
  std::string source;  // relative to the temp folder
  const char* message;
};

class WadCreateRefusalTest : public WadCreateTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(WadCreateRefusalTest, TooFewFilesOrAMissingFileAreRefusedBeforeTheDialog) {
  const RefusalCase& c = GetParam();
  for (const auto& [relative, content] : c.files) WriteNativeFile(dir.Native(relative), content);
  bench.sourceText = c.source.starts_with("...") || c.source.empty() ? c.source : dir.Internal(c.source);
  LMDCreateWadClick(state, bench);
  EXPECT_EQ(bench.messages, (std::vector<std::string>{c.message}));
  EXPECT_TRUE(bench.dialogs.empty());
  EXPECT_EQ(Setting("FileName"), "<unset>");
}

INSTANTIATE_TEST_SUITE_P(
    Sources, WadCreateRefusalTest,
    ::testing::Values(RefusalCase{"OneFileInTheFolder", {{"src/only", "1"}}, "src", messages::kChooseSourceFolderFirst},
                      RefusalCase{"ASingleExistingFile", {{"src/a.tex", "1"}, {"src/b", "2"}}, "src\\a.tex",
                                  messages::kChooseSourceFolderFirst},
                      RefusalCase{"TheInitialText", {}, messages::kNoSourceChosen, messages::kChooseSourceFolderFirst},
                      // Not the whole root of the disk, as the update refuses it.
                      RefusalCase{"TheEmptyText", {}, "", messages::kChooseSourceFirst},
                      RefusalCase{"AMissingSingleFile", {{"src/a", "1"}, {"src/b", "2"}}, "src\\gone.tex",
                                  messages::kFilePathMistake}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WadCreateTest, CancellingWritesNoArchiveButRemembersTheSource) {
  WriteNativeFile(dir.Native("src\\a"), "a");
  WriteNativeFile(dir.Native("src\\b"), "b");
  bench.sourceText = dir.Internal("src");
  const Tree before = TreeSnapshot(dir.native());
  LMDCreateWadClick(state, bench);
  EXPECT_EQ(bench.dialogs.size(), 1u);
  EXPECT_TRUE(bench.captions.empty());
  EXPECT_TRUE(bench.positions.empty());
  EXPECT_EQ(Setting("FileName"), dir.Internal("src"));
  EXPECT_EQ(TreeSnapshot(dir.native()), before);
}

TEST_F(WadCreateTest, SavingInsideTheSourceFolderPacksTheOlderArchive) {
  const std::string older = PackedWad({{"old", "old data"}});
  WriteNativeFile(dir.Native("src\\src.wad"), older);
  WriteNativeFile(dir.Native("src\\a"), "a");
  Create(dir.Internal("src"), "src\\src.wad");
  EXPECT_EQ(SortedNames(), (std::vector<std::string>{"a", "src.wad"}));
  WadArchive written;
  LoadWadArchive(written, dir.Internal("src\\src.wad"));
  for (std::size_t i = 0; i < 2; ++i) {
    if (EntryName(written.Entries[i]) == "src.wad") {
      EXPECT_EQ(written.Payloads[i], older);
    }
  }
  EXPECT_EQ(TreeSnapshot(dir.Native("src")).size(), 2u) << "no temporary file is left behind";
}

TEST_F(WadCreateTest, AnExistingArchiveIsReplacedWithoutAQuestion) {
  WriteNativeFile(dir.Native("out"), std::string(5000, 'o'));
  WriteNativeFile(dir.Native("src\\a"), "a");
  WriteNativeFile(dir.Native("src\\b"), "b");
  Create(dir.Internal("src"), "out");
  EXPECT_EQ(ReadNativeFile(dir.Native("out")), Expected(dir.Internal("src\\"))) << "no extension added, no tail left";
}

// What is refused or fails leaves the chosen file and the folder as they were.
class WadCreateFailureTest : public WadCreateTest {
 protected:
  void SetUp() override { WriteNativeFile(dir.Native("out.wad"), "the user's older archive"); }
  void ExpectNothingChanged(const Tree& before) {
    EXPECT_EQ(TreeSnapshot(dir.native()), before);
    EXPECT_EQ(ReadNativeFile(dir.Native("out.wad")), "the user's older archive");
  }
};

TEST_F(WadCreateFailureTest, ANameLongerThan128BytesIsRefusedNamingTheFile) {
  const std::string fits = std::string(60, 'f') + "\\" + std::string(67, 'g');  // 128 bytes
  const std::string tooLong = std::string(60, 'l') + "\\" + std::string(68, 'm');  // 129 bytes
  WriteNativeFile(dir.Native("src\\" + fits), "fits");
  WriteNativeFile(dir.Native("src\\" + tooLong), "too long");
  WriteNativeFile(dir.Native("src\\short"), "s");
  bench.sourceText = dir.Internal("src");
  bench.dialogAnswers.push_back(dir.Internal("out.wad"));
  const Tree before = TreeSnapshot(dir.native());
  try {
    LMDCreateWadClick(state, bench);
    FAIL() << "no refusal";
  } catch (const RefusedError& error) {
    EXPECT_NE(std::string(error.what()).find(tooLong), std::string::npos) << error.what();
  }
  ExpectNothingChanged(before);

  std::filesystem::remove_all(dir.Native("src\\" + std::string(60, 'l')));
  bench.dialogAnswers.push_back(dir.Internal("out.wad"));
  LMDCreateWadClick(state, bench);
  EXPECT_EQ(SortedNames(), (std::vector<std::string>{fits, "short"})) << "128 bytes fill the field exactly";
}

TEST_F(WadCreateFailureTest, DataPastTheLargestOffsetIsRefusedBeforeAnythingIsRead) {
  // Sparse files: their sizes count, their bytes are never read.
  for (const char* name : {"big1", "big2"}) {
    const std::string path = dir.Native(std::string("src\\") + name);
    WriteNativeFile(path, "");
    ASSERT_EQ(truncate(path.c_str(), std::int64_t{1} << 30), 0);
  }
  WriteNativeFile(dir.Native("src\\small"), "s");
  bench.sourceText = dir.Internal("src");
  bench.dialogAnswers.push_back(dir.Internal("out.wad"));
  try {
    LMDCreateWadClick(state, bench);
    FAIL() << "no refusal";
  } catch (const RefusedError& error) {
    EXPECT_NE(std::string(error.what()).find("2147483647"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(bench.captions.empty()) << "refused before the first file";
  EXPECT_EQ(ReadNativeFile(dir.Native("out.wad")), "the user's older archive");
  std::vector<std::string> names;  // the big files are not read back: only the names count
  for (const auto& item : std::filesystem::directory_iterator(dir.native())) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"out.wad", "src"})) << "no temporary file is left behind";
}

TEST_F(WadCreateFailureTest, AnUnreadableSourceLeavesTheOlderArchiveWhole) {
  WriteNativeFile(dir.Native("src\\a"), "a");
  WriteNativeFile(dir.Native("src\\b"), "b");
  MakeReadOnly(dir.Native("src\\b"));  // files are opened for writing too, so this one cannot be
  bench.sourceText = dir.Internal("src");
  bench.dialogAnswers.push_back(dir.Internal("out.wad"));
  const Tree before = TreeSnapshot(dir.native());
  try {
    LMDCreateWadClick(state, bench);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), 5);
  }
  ExpectNothingChanged(before);  // no temporary file is left behind either
}

}  // namespace
}  // namespace skarvel
