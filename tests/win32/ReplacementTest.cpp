// Rewriting an archive on Windows, where a file open without delete sharing
// cannot be replaced: the update must let go of the old archive before it puts
// the new one in place, and when another program holds the archive that way the
// user is told which archive, and it stays as it was.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "archive/WadArchive.h"
#include "archive/WadUpdate.h"
#include "host/Errors.h"
#include "support/OperationTest.h"
#include "support/WadBytes.h"
#include "win32/Win32TestSupport.h"

namespace skarvel {
namespace {

using test::NamesIn;
using test::PackedWad;
using test::ReadNativeFile;
using test::WriteNativeFile;

class Win32ReplacementTest : public test::OperationTest {
 protected:
  void SetUp() override {
    WriteNativeFile(archive, before);
    WriteNativeFile(dir.Native("src\\swap"), "new!");
    bench.archiveText = archive;
    bench.sourceText = dir.Native("src");
  }
  std::string archive = dir.Native("test.wad");
  std::string before = PackedWad({{"keep", "kept data"}, {"swap", "old"}});
  std::string after = PackedWad({{"keep", "kept data"}, {"swap", "new!"}});
};

// The update leaves the entries it keeps in the old archive and copies them
// from there into the new one; that file was still open at the commit.
TEST_F(Win32ReplacementTest, AnUpdateThatKeepsEntriesReplacesTheArchive) {
  EXPECT_TRUE(Update1wad(state, bench));
  EXPECT_TRUE(bench.messages.empty());
  EXPECT_EQ(ReadNativeFile(archive), after);
  EXPECT_EQ(NamesIn(dir.native()), (std::set<std::string>{"src", "test.wad"}));
}

TEST_F(Win32ReplacementTest, ARebuildFromDataLeftInTheFileReplacesIt) {
  WadArchive wad;
  LoadWadArchiveLazily(wad, archive);
  RebuildWad(wad, archive, wad.Count);
  EXPECT_EQ(ReadNativeFile(archive), before);
}

// Another program holds the archive for reading and writing, as the program's
// own sharing allows; whether it also allows deleting decides the replacement.
struct HolderCase {
  const char* what;
  DWORD share;
  bool replaced;
};

class Win32HeldArchiveTest : public Win32ReplacementTest, public ::testing::WithParamInterface<HolderCase> {};

TEST_P(Win32HeldArchiveTest, TheArchiveIsReplacedOrNamedAndLeftWhole) {
  {
    test::HeldFile other(archive, GENERIC_READ | GENERIC_WRITE, GetParam().share);
    ASSERT_TRUE(other.opened()) << other.error();
    if (GetParam().replaced) {
      EXPECT_TRUE(Update1wad(state, bench));
      EXPECT_EQ(ReadNativeFile(archive), after);
      return;
    }
    try {
      Update1wad(state, bench);
      FAIL() << "the update reported no failure";
    } catch (const RefusedError& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find(archive), std::string::npos) << text;
      EXPECT_NE(text.find("another program"), std::string::npos) << text;
    }
    EXPECT_EQ(ReadNativeFile(archive), before) << "byte for byte as it was";
    EXPECT_EQ(NamesIn(dir.native()), (std::set<std::string>{"src", "test.wad"})) << "no temporary file is left";
  }
  // Once the other program lets go, the same update goes through.
  EXPECT_TRUE(Update1wad(state, bench));
  EXPECT_EQ(ReadNativeFile(archive), after);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, Win32HeldArchiveTest,
    ::testing::Values(HolderCase{"WithoutDeleteSharing", FILE_SHARE_READ | FILE_SHARE_WRITE, false},
                      HolderCase{"WithDeleteSharing", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace skarvel
