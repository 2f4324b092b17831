// Extraction stays inside its folder on Windows: a junction (or any folder
// reparse point) below the target is refused, never followed, and a name that
// Windows would turn into a device or into another file writes nothing.
#include <gtest/gtest.h>

#include <string>

#include "archive/WadExtract.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "support/OperationTest.h"
#include "support/WadBytes.h"
#include "win32/Win32TestSupport.h"

namespace skarvel {
namespace {

using test::NativeExists;
using test::PackedWad;
using test::ReadNativeFile;
using test::WriteNativeFile;

class Win32ConfinedTest : public test::OperationTest {
 protected:
  void SetUp() override {
    WriteNativeFile(dir.Native("outside\\f"), "outside data");
    CreateDirectoryA(target.c_str(), nullptr);
  }
  void Extract(const std::vector<test::TestEntry>& entries) {
    WriteNativeFile(archive, PackedWad(entries));
    ExtractAllEntries(state.wad, archive, target, bench);
  }
  std::string archive = dir.Native("a.wad");
  std::string target = dir.Native("target");
};

struct LinkCase {
  const char* what;
  std::string link;   // below the target, leading to "outside"
  std::string entry;
  std::string outsideFile;  // stays as it was, or missing
};

class Win32ReparsePointTest : public Win32ConfinedTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(Win32ReparsePointTest, NothingIsWrittenThroughIt) {
  const LinkCase& c = GetParam();
  if (c.link.find('\\') != std::string::npos) CreateDirectoryA((target + "\\sub").c_str(), nullptr);
  ASSERT_TRUE(test::MakeFolderLink(target + "\\" + c.link, dir.Native("outside"))) << "no folder link could be made";
  const bool existed = NativeExists(dir.Native(c.outsideFile));
  try {
    Extract({{c.entry, "evil"}});
    FAIL() << "not refused";
  } catch (const RefusedError& error) {
    EXPECT_NE(std::string(error.what()).find("\"" + c.link + "\""), std::string::npos) << error.what();
  }
  ASSERT_EQ(NativeExists(dir.Native(c.outsideFile)), existed);
  EXPECT_EQ(ReadNativeFile(dir.Native("outside\\f")), "outside data");
}

INSTANTIATE_TEST_SUITE_P(
    Links, Win32ReparsePointTest,
    ::testing::Values(LinkCase{"OverAFile", "link", "link\\f", "outside\\f"},
                      LinkCase{"ToANewFile", "link", "link\\new", "outside\\new"},
                      LinkCase{"Deeper", "sub\\link", "sub\\link\\f", "outside\\f"},
                      LinkCase{"FolderToMake", "link", "link\\made\\g", "outside\\made"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Win32ConfinedTest, TheTargetItselfMayBeAFolderLinkTheUserChose) {
  ASSERT_TRUE(test::MakeFolderLink(dir.Native("chosen"), dir.Native("outside")));
  WriteNativeFile(archive, PackedWad({{"x\\y", "data"}}));
  ExtractAllEntries(state.wad, archive, dir.Native("chosen"), bench);
  EXPECT_EQ(ReadNativeFile(dir.Native("outside\\x\\y")), "data");
}

// Names the system would not take as the file they say: a device, or with its
// trailing dots and spaces dropped, another file ("x" beside "x.").
class Win32DeviceAndTrailingNameTest : public Win32ConfinedTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(Win32DeviceAndTrailingNameTest, TheArchiveIsRefusedAndNothingIsWritten) {
  WriteNativeFile(target + "\\x", "a file of the user");
  try {
    Extract({{"first", "1"}, {GetParam(), "evil"}});
    FAIL() << "not refused";
  } catch (const RefusedError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam()), std::string::npos) << error.what();
  }
  EXPECT_FALSE(NativeExists(target + "\\first")) << "refused before the first file";
  EXPECT_EQ(ReadNativeFile(target + "\\x"), "a file of the user");
}

INSTANTIATE_TEST_SUITE_P(Names, Win32DeviceAndTrailingNameTest,
                         ::testing::Values("CON", "NUL", "nul.txt", "COM1", "sub\\LPT3.log", "AUX .dat", "x.",
                                           "x ", "x. .", "sub.\\x"));

// The folder layer refuses a device on its own, whatever name leads to it.
TEST_F(Win32ConfinedTest, TheFolderLayerWritesIntoNoDevice) {
  ConfinedFolder folder(target);
  for (const char* device : {"NUL", "nul.txt", "sub\\NUL"}) {
    SCOPED_TRACE(device);
    try {
      folder.Create(device).Write("evil", 4);
      ADD_FAILURE() << "a device was opened for writing";
    } catch (const RefusedError& error) {
      EXPECT_NE(std::string(error.what()).find("device"), std::string::npos) << error.what();
    }
  }
  folder.Create("plain.bin").Write("ok", 2);
  EXPECT_EQ(ReadNativeFile(target + "\\plain.bin"), "ok");
}

}  // namespace
}  // namespace skarvel
