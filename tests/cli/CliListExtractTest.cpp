// list, extract and extract-one run as a script runs them.
#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "host/Encoding.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

// 4 + 3 x 136 = 412: the data starts there, packed in directory order.
std::string SampleWad() {
  return PackedWad({{"maps\\monza2001\\a.bin", "abcd"}, {"caf\xE9.txt", "xy"}, {"cars\\empty", ""}});
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

class CliList : public ::testing::Test {
 protected:
  void SetUp() override { WriteNativeFile(cli.dir.Native("s.wad"), SampleWad()); }
  CliFixture cli;
};

// The text listing shows names as the terminal takes them: UTF-8 on POSIX, the
// system's code page on Windows.
TEST_F(CliList, OneTabSeparatedLinePerEntryInDirectoryOrder) {
  const CliResult r = cli.Run({"list", "s.wad"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "0\t412\t4\tmaps\\monza2001\\a.bin\n"
                   "1\t416\t2\t" + ToDisplayText("caf\xE9.txt") + "\n"
                   "2\t418\t0\tcars\\empty\n");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(cli.ConfigUntouched());
}

TEST_F(CliList, JsonEscapesNamesAndConvertsThemToUtf8) {
  const CliResult r = cli.Run({"list", "s.wad", "--json"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"archive\": \"s.wad\", \"count\": 3, \"entries\": ["
            "{\"index\": 0, \"name\": \"maps\\\\monza2001\\\\a.bin\", \"offset\": 412, \"size\": 4}, "
            "{\"index\": 1, \"name\": \"caf\xC3\xA9.txt\", \"offset\": 416, \"size\": 2}, "
            "{\"index\": 2, \"name\": \"cars\\\\empty\", \"offset\": 418, \"size\": 0}]}\n");
}

// Quotes and control characters are escaped; the Windows-1252 bytes 0x80-0x9F
// that name no character pass as their C1 code points.
TEST_F(CliList, JsonEscapesQuotesAndControlCharacters) {
  WriteNativeFile(cli.dir.Native("odd.wad"), PackedWad({{"say \"hi\"\t\x01", ""}, {"\x80\x81", ""}}));
  const CliResult r = cli.Run({"list", "odd.wad", "--json"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"archive\": \"odd.wad\", \"count\": 2, \"entries\": ["
            "{\"index\": 0, \"name\": \"say \\\"hi\\\"\\t\\u0001\", \"offset\": 276, \"size\": 0}, "
            "{\"index\": 1, \"name\": \"\xE2\x82\xAC\xC2\x81\", \"offset\": 276, \"size\": 0}]}\n");
}

// The rows of the contents list are ";"-separated without escaping; a name
// holding ";" must still be listed whole and under its own index.
TEST_F(CliList, ANameWithSemicolonsKeepsItsIndex) {
  WriteNativeFile(cli.dir.Native("semi.wad"), PackedWad({{"a;1;2;7", "zz"}, {"b", "y"}}));
  const CliResult r = cli.Run({"list", "semi.wad"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0\t276\t2\ta;1;2;7\n1\t278\t1\tb\n");
}

TEST_F(CliList, MissingOrDamagedArchiveFailsWithoutOutput) {
  WriteNativeFile(cli.dir.Native("damaged.wad"), Int32Bytes(1000) + "short");
  for (const char* archive : {"none.wad", "damaged.wad"}) {
    SCOPED_TRACE(archive);
    const CliResult r = cli.Run({"list", archive});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("damaged.wad")), Int32Bytes(1000) + "short");
}

TEST_F(CliList, ExtractWritesTheTreeAndClosesWithTheCaption) {
  const CliResult r = cli.Run({"extract", "s.wad", "out"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("out/maps/monza2001/a.bin")), "abcd");
  EXPECT_EQ(ReadNativeFile(cli.dir.Native(ToNativePath("out\\caf\xE9.txt"))), "xy");
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("out/cars/empty")), "");
  // stderr is a file here, so no progress is drawn: only the closing caption.
  EXPECT_TRUE(StartsWith(r.err, "Wad extracted in ")) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  EXPECT_EQ(r.err.find('\r'), std::string::npos);
  EXPECT_TRUE(cli.ConfigUntouched());

  const CliResult quiet = cli.Run({"extract", "s.wad", "again", "--quiet"});
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_TRUE(NativeExists(cli.dir.Native("again/cars/empty")));
}

TEST_F(CliList, ExtractRefusesAnEscapingNameAndWritesNothing) {
  WriteNativeFile(cli.dir.Native("evil.wad"), PackedWad({{"ok.txt", "1"}, {"..\\..\\escaped.txt", "2"}}));
  const CliResult r = cli.Run({"extract", "evil.wad", "deep/out"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("..\\..\\escaped.txt"), std::string::npos) << r.err;
  EXPECT_FALSE(NativeExists(cli.dir.Native("escaped.txt")));
  EXPECT_FALSE(NativeExists(cli.dir.Native("deep/out/ok.txt")));
}

TEST_F(CliList, ExtractFromAMissingArchiveShowsTheMessage) {
  const CliResult r = cli.Run({"extract", "none.wad", "out"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Sorry but you have to choose a wad file first.\n");
  EXPECT_FALSE(NativeExists(cli.dir.Native("out")));
}

TEST_F(CliList, ExtractOneWritesTheEntryOfThatIndex) {
  const CliResult r = cli.Run({"extract-one", "s.wad", "1", "one.bin"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("one.bin")), "xy");
  EXPECT_EQ(r.err, "File Saved\n");

  const CliResult empty = cli.Run({"extract-one", "s.wad", "2", "empty.bin", "--quiet"});
  EXPECT_EQ(empty.exitCode, 0) << empty.err;
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("empty.bin")), "");
  EXPECT_EQ(empty.err, "");
}

TEST_F(CliList, ExtractOneOfAnIndexTheArchiveLacksWritesNothing) {
  const CliResult r = cli.Run({"extract-one", "s.wad", "3", "one.bin"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no entry of index 3"), std::string::npos) << r.err;
  EXPECT_FALSE(NativeExists(cli.dir.Native("one.bin")));
}

}  // namespace
}  // namespace skarvel::test
