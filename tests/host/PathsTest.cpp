#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Messages.h"
#include "host/Paths.h"
#include "support/TempDir.h"

namespace skarvel {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

struct TextCase {
  std::string input;
  std::string expected;
};

TEST(PathHelpersTest, Crop) {
  for (const TextCase& c : {TextCase{"cars\\car.tex", "cars\\car.tex"}, TextCase{std::string(5, '\0'), ""},
                            TextCase{std::string("ab\0cd\0\0", 7), "abcd"}, TextCase{"", ""},
                            TextCase{std::string("\0x", 2), "x"}}) {
    EXPECT_EQ(Crop(c.input), c.expected) << c.input;
  }
}

TEST(PathHelpersTest, PathKeepsTheTrailingSeparator) {
  for (const TextCase& c : {TextCase{"C:\\a\\b.txt", "C:\\a\\"}, TextCase{"C:\\a\\", "C:\\a\\"},
                            TextCase{"b.txt", ""}, TextCase{"", ""}, TextCase{"\\", "\\"},
                            TextCase{"maps\\x/y", "maps\\"}}) {
    EXPECT_EQ(Path(c.input), c.expected) << c.input;
  }
}

TEST(PathHelpersTest, PatchnameIsTheTextAfterTheLastSeparator) {
  for (const TextCase& c : {TextCase{"C:\\a\\b", "b"}, TextCase{"b", "b"}, TextCase{"C:\\a\\", ""},
                            TextCase{"", ""}, TextCase{"a/b", "a/b"}, TextCase{"\\\\x", "x"}}) {
    EXPECT_EQ(Patchname(c.input), c.expected) << c.input;
  }
}

TEST(PathHelpersTest, IsSourceFolderLooksOnlyAtTheLastCharacters) {
  struct Case {
    std::string source;
    bool folder;
  };
  for (const Case& c : {Case{"C:\\a\\x.tex", false}, Case{"C:\\a\\x.gp", false}, Case{"C:\\a\\x.c", true},
                        Case{"C:\\a\\b.jpeg", true}, Case{"C:\\a\\b", true}, Case{"C:\\a\\", true}, Case{"", true},
                        Case{messages::kNoSourceChosen, true}, Case{".ab", false}, Case{".a", false} /* shorter than four: its first character counts */, Case{"a.c", true},
                        Case{"a.", true}, Case{"x", true}}) {
    EXPECT_EQ(IsSourceFolder(c.source), c.folder) << c.source;
  }
}

// The order ListFilesEx must give: depth first, each folder in the order the
// directory search delivers it, written here as plainly as possible.
void ReferenceWalk(const std::string& folder, std::vector<std::string>& out) {
  for (const DirectoryEntry& entry : SearchDirectory(folder, "*.*")) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.isFolder || entry.isLinkToFolder) {
      ReferenceWalk(folder + "\\" + entry.name, out);
    } else {
      out.push_back(folder + "\\" + entry.name);
    }
  }
}

class ListFilesExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"top1.txt", "top2.dat", ".hidden", "noext", "cars\\car1.tex", "cars\\.car.bak",
                             "cars\\deep\\a\\b\\c.gp", "maps\\x.wad", "maps\\y.wad", "z\\one"}) {
      test::WriteNativeFile(dir.Native(file), file);
    }
    fs::create_directories(dir.Native("empty\\inner"));
  }
  std::vector<std::string> Files(const std::string& folder) { return ListFilesEx(folder, "*.*", true, false, 63); }
  TempDir dir;
};

TEST_F(ListFilesExTest, EveryFileDepthFirstInSearchOrder) {
  const std::vector<std::string> files = Files(dir.internal());
  std::vector<std::string> expected;
  ReferenceWalk(dir.internal(), expected);
  EXPECT_EQ(files, expected);

  // All files, hidden ones included, and no folders; compared with the OS's own walk.
  std::set<std::string> onDisk;
  for (const auto& item : fs::recursive_directory_iterator(dir.native())) {
    if (item.is_regular_file()) onDisk.insert(ToInternalPath(item.path().string()));
  }
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), onDisk);
  EXPECT_EQ(files.size(), 10u);
}

TEST_F(ListFilesExTest, SubfolderContentStandsTogether) {
  // Whatever order the system chose, a folder's files never interleave with its
  // siblings': the walk finishes a subfolder before going on.
  const std::vector<std::string> files = Files(dir.internal());
  const std::string cars = dir.Internal("cars\\");
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].rfind(cars, 0) == 0) positions.push_back(i);
  }
  ASSERT_EQ(positions.size(), 3u);
  EXPECT_EQ(positions.back() - positions.front(), 2u);
}

TEST_F(ListFilesExTest, FolderTextIsKeptAsGiven) {
  // With or without a trailing "\" the same files come out, with one "\" after
  // the folder.
  EXPECT_EQ(Files(dir.internal() + "\\"), Files(dir.internal()));
  EXPECT_EQ(Files(dir.Internal("z")), std::vector<std::string>{dir.Internal("z\\one")});

  // A relative folder gives relative paths.
  const fs::path saved = fs::current_path();
  fs::current_path(dir.native());
  const std::vector<std::string> relative = Files("maps");
  fs::current_path(saved);
  EXPECT_EQ(std::set<std::string>(relative.begin(), relative.end()),
            (std::set<std::string>{"maps\\x.wad", "maps\\y.wad"}));
}

TEST_F(ListFilesExTest, MissingOrEmptyFolders) {
  EXPECT_TRUE(Files(dir.Internal("missing")).empty());
  EXPECT_TRUE(Files(dir.Internal("empty")).empty());
  EXPECT_TRUE(Files(dir.Internal("top1.txt")).empty());  // a file is no folder to search
  EXPECT_EQ(ListFilesEx(dir.Internal("missing"), "*.*", true, true, 63),
            std::vector<std::string>{dir.Internal("missing\\")});
}

TEST_F(ListFilesExTest, FoldersFollowTheirContentWhenIncluded) {
  const std::vector<std::string> all = ListFilesEx(dir.Internal("cars"), "*.*", true, true, 63);
  // Every folder comes after everything below it, with a trailing "\".
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i].back() != '\\') continue;
    for (std::size_t j = i + 1; j < all.size(); ++j) EXPECT_NE(all[j].rfind(all[i], 0), 0u) << all[i];
  }
  EXPECT_EQ(all.back(), dir.Internal("cars\\"));
  const std::set<std::string> asSet(all.begin(), all.end());
  EXPECT_EQ(asSet, (std::set<std::string>{dir.Internal("cars\\car1.tex"), dir.Internal("cars\\.car.bak"),
                                          dir.Internal("cars\\deep\\a\\b\\c.gp"), dir.Internal("cars\\deep\\a\\b\\"),
                                          dir.Internal("cars\\deep\\a\\"), dir.Internal("cars\\deep\\"),
                                          dir.Internal("cars\\")}));

  // Without recursion a subfolder is listed, without a trailing "\", and not entered.
  const std::vector<std::string> flat = ListFilesEx(dir.Internal("cars"), "*.*", false, true, 63);
  EXPECT_EQ(std::set<std::string>(flat.begin(), flat.end()),
            (std::set<std::string>{dir.Internal("cars\\car1.tex"), dir.Internal("cars\\.car.bak"),
                                   dir.Internal("cars\\deep"), dir.Internal("cars\\")}));
  EXPECT_EQ(ListFilesEx(dir.Internal("cars"), "*.*", false, false, 63).size(), 2u);
}

TEST_F(ListFilesExTest, MaskFiltersFoldersToo) {
  test::WriteNativeFile(dir.Native("d.txt\\inner.txt"), "");
  test::WriteNativeFile(dir.Native("plain\\inner.txt"), "");
  const std::vector<std::string> found = ListFilesEx(dir.internal(), "*.txt", true, false, 63);
  EXPECT_EQ(std::set<std::string>(found.begin(), found.end()),
            (std::set<std::string>{dir.Internal("top1.txt"), dir.Internal("d.txt\\inner.txt")}));
}

// Symbolic links as POSIX makes them; the Windows suite meets junctions.
#ifndef _WIN32
// A linked folder is a folder like any other: its files stand where the link
// stands. A link to a file is a file.
TEST(ListFilesExLinkTest, LinkedFoldersAreEnteredAndListed) {
  TempDir dir;
  test::WriteNativeFile(dir.Native("src\\a\\file.txt"), "x");
  test::WriteNativeFile(dir.Native("mods\\car.tex"), "c");
  test::WriteNativeFile(dir.Native("mods\\deep\\hel.gp"), "h");
  fs::create_directory_symlink(dir.Native("mods"), dir.Native("src/a/linked"));
  fs::create_directory_symlink("linked", dir.Native("src/a/again"));  // the same folder twice is no cycle
  fs::create_symlink("file.txt", dir.Native("src/a/alias.txt"));
  const std::vector<std::string> files = ListFilesEx(dir.Internal("src"), "*.*", true, false, 63);
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
            (std::set<std::string>{dir.Internal("src\\a\\file.txt"), dir.Internal("src\\a\\alias.txt"),
                                   dir.Internal("src\\a\\linked\\car.tex"),
                                   dir.Internal("src\\a\\linked\\deep\\hel.gp"),
                                   dir.Internal("src\\a\\again\\car.tex"),
                                   dir.Internal("src\\a\\again\\deep\\hel.gp")}));
  // Without recursion the link is listed as the folder it is.
  const std::vector<std::string> flat = ListFilesEx(dir.Internal("src\\a"), "*.*", false, true, 63);
  EXPECT_EQ(std::set<std::string>(flat.begin(), flat.end()),
            (std::set<std::string>{dir.Internal("src\\a\\file.txt"), dir.Internal("src\\a\\alias.txt"),
                                   dir.Internal("src\\a\\linked"), dir.Internal("src\\a\\again"),
                                   dir.Internal("src\\a\\")}));
}

// A link back to a folder on the way down would be walked for ever: refused,
// naming the link and the folder it leads back to, as the user knows them.
TEST(ListFilesExLinkTest, LinkCyclesAreRefusedNamingTheLink) {
  struct Case {
    const char* link;     // below the walked folder
    const char* target;   // as the link holds it; "" for the walked folder's full path
    const char* leadsTo;  // below the walked folder; "" for the walked folder itself
  };
  for (const Case& c : {Case{"a\\up", "..", ""}, Case{"a\\self", ".", "a"}, Case{"a\\b\\top", "", ""},
                        Case{"a\\b\\back", "../../a", "a"}}) {
    TempDir dir;
    test::WriteNativeFile(dir.Native("a\\b\\file.txt"), "x");
    fs::create_directory_symlink(*c.target ? std::string(c.target) : dir.native(), dir.Native(c.link));
    try {
      ListFilesEx(dir.internal(), "*.*", true, false, 63);
      ADD_FAILURE() << "walked through " << c.link;
    } catch (const RefusedError& error) {
      const std::string message = error.what();
      const std::string leadsTo = *c.leadsTo ? dir.Internal(c.leadsTo) : dir.internal();
      EXPECT_NE(message.find("\"" + DisplayPath(dir.Internal(c.link)) + "\""), std::string::npos) << message;
      EXPECT_NE(message.find("\"" + DisplayPath(leadsTo) + "\""), std::string::npos) << message;
    }
  }
}
#endif

class FillSourceListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteNativeFile(dir.Native("src\\car.tex"), "t");
    test::WriteNativeFile(dir.Native("src\\sub\\hel.gp"), "g");
    fs::create_directory(dir.Native("a.old"));  // a folder named like a file
  }
  bool Fill(const std::string& source) {
    return FillSourceList(source, sources, [this](const std::string& text) { shown.push_back(text); });
  }
  TempDir dir;
  SourceList sources{"earlier"};
  std::vector<std::string> shown;
};

TEST_F(FillSourceListTest, FolderReplacesTheList) {
  EXPECT_TRUE(Fill(dir.Internal("src")));
  EXPECT_EQ(sources, ListFilesEx(dir.Internal("src"), "*.*", true, false, 63));
  EXPECT_EQ(sources.size(), 2u);
  EXPECT_TRUE(shown.empty());
  // No existence test for a folder: a missing one gives an empty list.
  EXPECT_TRUE(Fill(messages::kNoSourceChosen));
  EXPECT_TRUE(sources.empty());
}

TEST_F(FillSourceListTest, SingleFileMustExist) {
  EXPECT_TRUE(Fill(dir.Internal("src\\car.tex")));
  EXPECT_EQ(sources, SourceList{dir.Internal("src\\car.tex")});
  for (const char* missing : {"src\\nothing.tex", "a.old"}) {
    sources = {"earlier"};
    shown.clear();
    EXPECT_FALSE(Fill(dir.Internal(missing))) << missing;
    EXPECT_EQ(sources, SourceList{"earlier"}) << missing;
    EXPECT_EQ(shown, std::vector<std::string>{messages::kFilePathMistake}) << missing;
  }
}

}  // namespace
}  // namespace skarvel
