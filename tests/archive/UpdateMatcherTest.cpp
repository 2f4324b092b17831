#include "archive/UpdateMatcher.h"
#include "support/ParamName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace skarvel {
namespace {

using Category = SourceCategory;

struct IdentityCase {
  const char* sourceText;
  const char* file;
  SourceIdentity expected;
};

void PrintTo(const IdentityCase& c, std::ostream* os) { *os << c.file; }

class IdentifySourceTest : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IdentifySourceTest, GivesCategoryAndKey) {
  EXPECT_EQ(IdentifySource(GetParam().sourceText, GetParam().file), GetParam().expected) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IdentifySourceTest,
    ::testing::Values(
        // Outside "cars" only the file name counts, lower-cased.
        IdentityCase{"D:\\mod", "D:\\mod\\deep\\Car.TEX", {Category::Normal, false, "car.tex"}},
        IdentityCase{"D:\\mod", "D:\\mod\\Qualifying\\a.bin", {Category::Qualifying, false, "a.bin"}},
        IdentityCase{"D:\\mod", "D:\\mod\\race\\a.bin", {Category::Race, false, "a.bin"}},
        // Both folders: the race rule.
        IdentityCase{"D:\\mod", "D:\\mod\\qualifying\\race\\a.bin", {Category::Race, false, "a.bin"}},
        IdentityCase{"D:\\mod", "D:\\mod\\race\\qualifying\\a.bin", {Category::Race, false, "a.bin"}},
        // The folders count wherever they are, the source folder included.
        IdentityCase{"D:\\race", "D:\\race\\a.bin", {Category::Race, false, "a.bin"}},
        // A folder name only counts whole: "\racer\" is not "\race\".
        IdentityCase{"D:\\mod", "D:\\mod\\racer\\a.bin", {Category::Normal, false, "a.bin"}},
        // Below "cars" the path below the source folder is the key, with or
        // without a trailing "\" on the source text.
        IdentityCase{"D:\\mod", "D:\\mod\\cars\\Ferrari\\car.tex", {Category::Normal, true, "cars\\ferrari\\car.tex"}},
        IdentityCase{"D:\\mod\\", "D:\\mod\\cars\\car.tex", {Category::Normal, true, "cars\\car.tex"}},
        // A source folder named "cars" puts every file below it under the path rule.
        IdentityCase{"D:\\Cars", "D:\\Cars\\x\\car.tex", {Category::Normal, true, "x\\car.tex"}},
        IdentityCase{"D:\\Cars", "D:\\Cars\\cars\\car.tex", {Category::Normal, true, "cars\\car.tex"}},
        IdentityCase{"D:\\a\\cars", "D:\\a\\cars\\race\\x.tex", {Category::Race, true, "race\\x.tex"}},
        // A single file has no source folder: its key starts at its "cars" folder.
        IdentityCase{"D:\\mod\\cars\\ferrari\\car.tex", "D:\\mod\\cars\\ferrari\\car.tex",
                     {Category::Normal, true, "cars\\ferrari\\car.tex"}},
        IdentityCase{"D:\\CARS\\mod\\Cars\\c.tex", "D:\\CARS\\mod\\Cars\\c.tex", {Category::Normal, true, "cars\\c.tex"}},
        IdentityCase{"D:\\mod\\x.tex", "D:\\mod\\x.tex", {Category::Normal, false, "x.tex"}},
        // Windows-1252 capitals are lowered by the code page's table.
        IdentityCase{"D:\\m", "D:\\m\\\xC9T\xC9.TEX", {Category::Normal, false, "\xE9t\xE9.tex"}}), test::PrintedParamName());

struct NameCase {
  const char* archivePath;
  const char* appended;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.archivePath; }

class AppendedEntryNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(AppendedEntryNameTest, PrefixFollowsTheArchiveName) {
  EXPECT_EQ(AppendedEntryName(GetParam().archivePath, "new\\x.tex"), GetParam().appended);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendedEntryNameTest,
    ::testing::Values(NameCase{"C:\\gp4\\cars.wad", "cars\\new\\x.tex"}, NameCase{"C:\\gp4\\CaRs.wad", "cars\\new\\x.tex"},
                      NameCase{"C:\\gp4\\CARS.WAD", "cars\\new\\x.tex"}, NameCase{"cars.wad", "cars\\new\\x.tex"},
                      NameCase{"C:\\gp4\\monza2001.wad", "maps\\monza2001\\new\\x.tex"},
                      NameCase{"C:\\gp4\\a1ring2001.wad", "maps\\a1ring2001\\new\\x.tex"},
                      NameCase{"C:\\gp4\\suzuka2001.wad", "maps\\suzuka2001\\new\\x.tex"},
                      // The track names are compared with regard to case.
                      NameCase{"C:\\gp4\\Monza2001.wad", "new\\x.tex"},
                      // Only the last four characters go, whatever they are.
                      NameCase{"C:\\gp4\\monza2001xwad", "maps\\monza2001\\new\\x.tex"},
                      NameCase{"C:\\monza2001.wad\\other.wad", "new\\x.tex"},
                      NameCase{"C:\\gp4\\monza2002.wad", "new\\x.tex"}, NameCase{"C:\\gp4\\wad", "new\\x.tex"},
                      NameCase{"C:\\gp4\\xcars.wad", "new\\x.tex"}), test::PrintedParamName());

WadDirEntry Named(const std::string& name) {
  WadDirEntry entry{};
  std::memset(entry.Name, 0, sizeof entry.Name);
  std::memcpy(entry.Name, name.data(), name.size());
  return entry;
}

std::vector<WadDirEntry> Directory(const std::vector<std::string>& names) {
  std::vector<WadDirEntry> entries;
  for (const std::string& name : names) entries.push_back(Named(name));
  return entries;
}

struct MatchCase {
  const char* what;
  std::vector<std::string> names;
  SourceIdentity identity;
  std::int32_t expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.what; }

class EntryMatcherTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(EntryMatcherTest, FindsTheFirstMatchingEntry) {
  const std::vector<WadDirEntry> entries = Directory(GetParam().names);
  const EntryMatcher matcher(entries, static_cast<std::int32_t>(entries.size()));
  EXPECT_EQ(matcher.FirstMatch(GetParam().identity), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EntryMatcherTest,
    ::testing::Values(
        MatchCase{"normal: file name in any folder", {"maps\\a\\x.bin", "Maps\\B\\X.BIN"},
                  {Category::Normal, false, "x.bin"}, 0},
        MatchCase{"normal: first in directory order, not the shortest name", {"z\\y\\x.bin", "x.bin"},
                  {Category::Normal, false, "x.bin"}, 0},
        MatchCase{"normal: a name without folder", {"other", "X.bin"}, {Category::Normal, false, "x.bin"}, 1},
        MatchCase{"normal: no match", {"x.bin2", "xx.bin", "x.bin\\y"}, {Category::Normal, false, "x.bin"}, -1},
        MatchCase{"qualifying needs the folder in the entry",
                  {"maps\\x.bin", "qualifying\\x.bin", "maps\\Qualifying\\x.bin"},
                  {Category::Qualifying, false, "x.bin"}, 2},
        MatchCase{"qualifying: no entry in that folder", {"maps\\x.bin", "maps\\race\\x.bin"},
                  {Category::Qualifying, false, "x.bin"}, -1},
        MatchCase{"race needs the folder in the entry", {"m\\qualifying\\x.bin", "m\\race\\x.bin"},
                  {Category::Race, false, "x.bin"}, 1},
        MatchCase{"race matches by file name even below cars", {"cars\\race\\other\\x.bin"},
                  {Category::Race, true, "cars\\race\\x.bin"}, -1},
        MatchCase{"race below cars: the file name of the key's entry", {"maps\\race\\x.bin"},
                  {Category::Race, true, "x.bin"}, 0},
        MatchCase{"cars: the whole name", {"other\\car.tex", "Cars\\Ferrari\\car.tex"},
                  {Category::Normal, true, "cars\\ferrari\\car.tex"}, 1},
        MatchCase{"cars: a file name alone is not enough", {"car.tex", "x\\cars\\car.tex"},
                  {Category::Normal, true, "cars\\car.tex"}, -1},
        MatchCase{"Windows-1252 capitals", {"\xC9T\xC9.TEX"}, {Category::Normal, false, "\xE9t\xE9.tex"}, 0},
        MatchCase{"empty directory", {}, {Category::Normal, false, "x"}, -1}), test::PrintedParamName());

TEST(EntryMatcherTest, AppendedEntriesAreFoundAfterTheLoadedOnes) {
  const std::vector<WadDirEntry> entries = Directory({"a\\one.bin", "race\\x.bin"});
  EntryMatcher matcher(entries, 2);
  const SourceIdentity newFile{Category::Normal, false, "new.bin"};
  EXPECT_EQ(matcher.FirstMatch(newFile), -1);
  matcher.Add("maps\\monza2001\\new.bin", 2);
  EXPECT_EQ(matcher.FirstMatch(newFile), 2);
  // A later, equal name does not take the place of the first.
  matcher.Add("new.bin", 3);
  EXPECT_EQ(matcher.FirstMatch(newFile), 2);
  EXPECT_EQ(matcher.FirstMatch({Category::Normal, true, "new.bin"}), 3);
  matcher.Add("m\\race\\x.bin", 4);
  EXPECT_EQ(matcher.FirstMatch({Category::Race, false, "x.bin"}), 4);
}

TEST(EntryMatcherTest, OnlyTheCountedRecordsTakePart) {
  const std::vector<WadDirEntry> entries = Directory({"a.bin", "b.bin"});
  const EntryMatcher matcher(entries, 1);
  EXPECT_EQ(matcher.FirstMatch({Category::Normal, false, "b.bin"}), -1);
}

}  // namespace
}  // namespace skarvel
