#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "archive/ContentsList.h"
#include "archive/WadArchive.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "support/ScriptedWorkbench.h"
#include "support/TempDir.h"
#include "support/WadBytes.h"

namespace skarvel {
namespace {

using test::Int32Bytes;
using test::PackedWad;
using test::RawRecord;
using test::ScriptedWorkbench;
using test::TempDir;
using test::WriteNativeFile;

std::vector<std::string> Sorted(std::vector<std::string> rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

class ListingTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string native = dir.Native("a.wad");
  std::string path = dir.Internal("a.wad");
  ScriptedWorkbench bench;
  WadArchive wad;
};

TEST_F(ListingTest, RowsCarryNameFolderSizeAndIndex) {
  const std::string kilobyte(1024, 'k');
  WriteNativeFile(native, Int32Bytes(7) +                                        //
                              RawRecord("cars\\car1.tex", 0, 0) +                 //
                              RawRecord("readme.txt", 0, 0) +                     //
                              RawRecord(std::string("x\\y.bin\0z\\w", 11), 0, 0) +  // bytes after the NUL
                              RawRecord("maps\\monaco2001\\a.bin", 4 + 136 * 7, 1024) +
                              RawRecord("Folder\\", 0, 0) +                       //
                              RawRecord(std::string(120, 'd') + "\\abc.def", 0, 0) +  // 128 bytes, no NUL
                              RawRecord("", 0, 0) +                               //
                              kilobyte);
  CreateFileList(wad, path, bench);
  EXPECT_EQ(Sorted(bench.rows), Sorted({
                                    "car1.tex;cars\\;0;0",
                                    "readme.txt;;0;1",
                                    "y.bin;x\\;0;2",
                                    "a.bin;maps\\monaco2001\\;1024;3",
                                    ";Folder\\;0;4",
                                    "abc.def;" + std::string(120, 'd') + "\\;0;5",
                                    ";;0;6",
                                }));
  EXPECT_EQ(bench.events, (std::vector<std::string>{"rows:0", "rows:7"})) << "emptied first, then filled";
  EXPECT_EQ(wad.Count, 7);
  EXPECT_EQ(wad.Entries.size(), 7u);
}

// A broken entry is still shown as the directory holds it, sign included.
TEST_F(ListingTest, SizesAreWrittenAsTheDirectoryHoldsThem) {
  WriteNativeFile(native, Int32Bytes(2) + RawRecord("neg", -4, -5) + RawRecord("max", 5000, INT32_MAX));
  CreateFileList(wad, path, bench);
  EXPECT_EQ(Sorted(bench.rows), Sorted({"neg;;-5;0", "max;;2147483647;1"}));
}

TEST_F(ListingTest, ListingSetsTheDirectoryAndLeavesPayloadsAlone) {
  WriteNativeFile(native, PackedWad({{"a", "1"}, {"b", "22"}}));
  wad.Count = 9;
  wad.Payloads = {"kept"};
  CreateFileList(wad, path, bench);
  EXPECT_EQ(wad.Count, 2);
  EXPECT_EQ(EntryName(wad.Entries[1]), "b");
  EXPECT_EQ(wad.Payloads, std::vector<std::string>{"kept"});
}

TEST_F(ListingTest, TextsThatNameNoArchiveChangeNothing) {
  WriteNativeFile(native, PackedWad({{"a", "1"}}));
  test::WriteNativeFile(dir.Native("folder.wad\\inside"), "x");

  // A ".." text that does name the archive: climb from the current folder to
  // the root and come down again. The current folder is the archive's own, so
  // that on Windows both lie on the same drive.
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.native());
  std::string climb;
  const std::string here = CurrentDirectory();
  for (char c : here) {
    if (c == '\\') climb += "..\\";
  }
  // Below the root: "\tmp\..." on POSIX, "C:\users\..." on Windows.
  const std::string dotted = climb + path.substr(path.find('\\') + 1);
  const bool named = FileExists(dotted);
  std::filesystem::current_path(saved);
  ASSERT_TRUE(named) << dotted;

  const std::string texts[] = {dotted, "..", "...or select a wad", "", dir.Internal("missing.wad"),
                               dir.Internal("folder.wad")};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    ScriptedWorkbench fresh;
    fresh.rows = {"old;row;1;0"};
    WadArchive untouched;
    untouched.Count = 3;
    CreateFileList(untouched, text, fresh);
    EXPECT_EQ(fresh.rows, std::vector<std::string>{"old;row;1;0"});
    EXPECT_TRUE(fresh.events.empty());
    EXPECT_EQ(untouched.Count, 3);
  }
}

TEST_F(ListingTest, AFailedListingLeavesTheListEmpty) {
  const std::string cases[] = {
      Int32Bytes(3) + RawRecord("a", 0, 0) + RawRecord("b", 0, 0),  // count larger than its records
      Int32Bytes(-1),
      "ab",
  };
  for (const std::string& file : cases) {
    WriteNativeFile(native, file);
    ScriptedWorkbench fresh;
    fresh.rows = {"old;row;1;0"};
    EXPECT_THROW(CreateFileList(wad, path, fresh), FormatError);
    EXPECT_TRUE(fresh.rows.empty());
    EXPECT_EQ(test::ReadNativeFile(native), file);
  }
}

TEST_F(ListingTest, AReadOnlyArchiveIsListed) {
  WriteNativeFile(native, PackedWad({{"a", "1"}}));
  test::MakeReadOnly(native);
  bench.rows = {"old;row;1;0"};
  CreateFileList(wad, path, bench);
  EXPECT_EQ(bench.rows, std::vector<std::string>{"a;;1;0"});
}

TEST(FieldOfTest, FieldsAreReadBetweenSemicolons) {
  struct Case {
    std::string text;
    int k;
    std::string field;
  };
  const Case cases[] = {
      {"a.bin;maps\\monaco2001\\;1024;3", 0, "a.bin"},
      {"a.bin;maps\\monaco2001\\;1024;3", 1, "maps\\monaco2001\\"},
      {"a.bin;maps\\monaco2001\\;1024;3", 2, "1024"},
      {"a.bin;maps\\monaco2001\\;1024;3", 3, "3"},
      {"a.bin;maps\\monaco2001\\;1024;3", 4, ""},
      {"readme.txt;;5;1", 1, ""},
      {"readme.txt;;5;1", 2, "5"},
      {"no separator", 0, "no separator"},
      {"no separator", 1, ""},
      {";lead", 0, ""},
      {";lead", 1, "lead"},
      {"end;", 0, "end"},
      {"end;", 1, ""},
      {"end;", 2, ""},
      {"", 0, ""},
      {"", 3, ""},
      {";;;", 3, ""},
      {"a;b", -1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldOf(c.text, c.k), c.field) << "text \"" << c.text << "\" field " << c.k;
  }
}

}  // namespace
}  // namespace skarvel
