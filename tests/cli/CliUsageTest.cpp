// The command line itself: wrong words give exit code 2 and a short usage,
// --help and --version answer on stdout.
#include <gtest/gtest.h>

#include "cli/CliRunner.h"

namespace skarvel::test {
namespace {

struct UsageCase {
  const char* label;
  std::vector<std::string> args;
};

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, RefusedWithExitCodeTwoAndTheUsage) {
  CliFixture cli;
  const CliResult r = cli.Run(GetParam().args);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("skarvel-cli: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("usage: skarvel-cli list ARCHIVE [--json]"), std::string::npos) << r.err;
  EXPECT_TRUE(cli.ConfigUntouched());
}

INSTANTIATE_TEST_SUITE_P(
    WrongCommandLines, CliUsage,
    ::testing::Values(UsageCase{"nothing", {}}, UsageCase{"unknown command", {"pack", "a", "b"}},
                      UsageCase{"too few operands", {"list"}}, UsageCase{"too many operands", {"list", "a.wad", "b"}},
                      UsageCase{"option of another command", {"list", "a.wad", "--dry-run"}},
                      UsageCase{"json for extract", {"extract", "a.wad", "out", "--json"}},
                      UsageCase{"unknown option", {"verify", "a.wad", "--fast"}},
                      UsageCase{"index not a number", {"extract-one", "a.wad", "two", "f"}},
                      UsageCase{"negative index", {"extract-one", "a.wad", "-1", "f"}},
                      UsageCase{"index beyond the format", {"extract-one", "a.wad", "2147483648", "f"}},
                      UsageCase{"game folder without a folder", {"update-tracks", "src", "--game-folder"}},
                      UsageCase{"game folder for one archive", {"update", "a.wad", "src", "--game-folder", "g"}},
                      UsageCase{"empty operand", {"create", "", "a.wad"}},
                      UsageCase{"words after --version", {"--version", "list"}},
                      UsageCase{"no history for verify", {"verify", "a.wad", "--no-history"}},
                      UsageCase{"before and original", {"restore", "a.wad", "--before", "2", "--original"}},
                      UsageCase{"patch number zero", {"restore", "a.wad", "--before", "0"}},
                      UsageCase{"package and an archive", {"restore", "a.wad", "--package", "p"}},
                      UsageCase{"history of nothing", {"history"}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) {
      std::string name;
      for (char c : std::string(info.param.label)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(CliCommandLine, VersionAndHelpAnswerOnStdout) {
  CliFixture cli;
  const CliResult version = cli.Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "skarvel-cli 3.3\n");
  EXPECT_EQ(version.err, "");

  const CliResult help = cli.Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: skarvel-cli list ARCHIVE [--json]\n", 0), 0u);
  EXPECT_EQ(help.err, "");
}

// "--" lets a path that begins with "-" through as an operand.
TEST(CliCommandLine, DoubleDashEndsTheOptions) {
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("-odd.wad"), std::string("\0\0\0\0", 4));
  const CliResult r = cli.Run({"list", "--", "-odd.wad"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace skarvel::test
