// skarvel-cli.exe as a Windows process: its words arrive as the runtime splits
// the command line that CliFixture quotes, and an archive that another program
// holds open so that it cannot be replaced is named, and left as it was.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "cli/CliRunner.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

TEST(CliWindows, WordsWithBlanksAndTrailingBackslashesArriveWhole) {
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("my archive.wad"), PackedWad({{"a b.txt", "ab"}, {"c.txt", "data"}}));
  CreateDirectoryA(cli.dir.Native("out dir").c_str(), nullptr);
  const CliResult one = cli.Run({"extract-one", "my archive.wad", "1", "out dir\\c.txt"});
  EXPECT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("out dir\\c.txt")), "data");
  // A word ending in "\" must not swallow the quote that closes it.
  const CliResult all = cli.Run({"extract", "my archive.wad", "all out\\", "--quiet"});
  EXPECT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("all out\\a b.txt")), "ab");
}

TEST(CliWindows, AnArchiveHeldOpenByAnotherProgramIsNamedAndLeftWhole) {
  CliFixture cli;
  const std::string archive = cli.dir.Native("held.wad");
  const std::string before = PackedWad({{"keep", "kept"}, {"swap", "old"}});
  WriteNativeFile(archive, before);
  WriteNativeFile(cli.dir.Native("patch\\swap"), "new!");
  HANDLE other = CreateFileA(archive.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  const CliResult held = cli.Run({"update", "held.wad", "patch"});
  CloseHandle(other);
  EXPECT_EQ(held.exitCode, 1);
  EXPECT_NE(held.err.find(archive), std::string::npos) << held.err;
  EXPECT_NE(held.err.find("another program"), std::string::npos) << held.err;
  EXPECT_EQ(ReadNativeFile(archive), before);

  const CliResult free = cli.Run({"update", "held.wad", "patch", "--quiet"});
  EXPECT_EQ(free.exitCode, 0) << free.err;
  EXPECT_EQ(ReadNativeFile(archive), PackedWad({{"keep", "kept"}, {"swap", "new!"}}));
}

}  // namespace
}  // namespace skarvel::test
#endif
