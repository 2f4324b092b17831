// history, restore and forget as a script runs them, one step after another on
// one archive: each step's exit code, what it prints, and the archive after it.
#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

TEST(CliHistory, PatchesAreListedUndoneAndForgottenAsAScriptSeesThem) {
  CliFixture cli;
  const std::string original = PackedWad({{"a.tex", "aaaa"}, {"b.tex", "bb"}});
  WriteNativeFile(cli.dir.Native("game/a.wad"), original);
  WriteNativeFile(cli.dir.Native("src1/a.tex"), "A1");
  WriteNativeFile(cli.dir.Native("src2/c.tex"), "new entry");
  WriteNativeFile(cli.dir.Native("src3/b.tex"), "B3");
  const std::string archive = cli.dir.Native("game/a.wad");
  std::vector<std::string> states{original};  // the archive after each patch kept in the history

  struct Step {
    std::vector<std::string> args;
    int exitCode;
    const char* printed;        // a part of stdout and stderr
    int archiveState;           // which of states the archive is after it; -1: a new one
  };
  const Step steps[] = {
      {{"update", archive, cli.dir.Native("src1")}, 0, "", -1},
      {{"update", archive, cli.dir.Native("src2")}, 0, "", -1},
      {{"history", archive, "--json"}, 0, "\"number\": 2, \"run\": ", 2},
      {{"history", archive}, 0, "\treplace\t0\ta.tex\t4\t2", 2},
      {{"restore", archive, "--before", "1", "--dry-run"}, 0, "Nothing was changed", 2},
      {{"restore", archive}, 0, "\tappend\t2\tc.tex\t9", 1},
      {{"history", "--game-folder", cli.dir.Native("game"), "--json"}, 0, "\"archives\": [{\"archive\": ", 1},
      {{"update", archive, cli.dir.Native("src3"), "--no-history"}, 0, "", -1},
      {{"restore", archive, "--original"}, 1, "another program changed the archive", 3},
      {{"forget", archive}, 0, "freed\t", 3},
      {{"restore", archive}, 1, "no recorded patch", 3},
      {{"restore", "--package", cli.dir.Native("pkg")}, 1, "No patch of the package", 3},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.args[0] + " " + (step.args.size() > 2 ? step.args[2] : ""));
    const CliResult r = cli.Run(step.args);
    EXPECT_EQ(r.exitCode, step.exitCode) << r.err;
    EXPECT_NE((r.out + r.err).find(step.printed), std::string::npos) << r.out << r.err;
    const std::string now = ReadNativeFile(archive);
    if (step.archiveState < 0) {
      states.push_back(now);
    } else {
      EXPECT_TRUE(now == states[static_cast<std::size_t>(step.archiveState)]) << "state " << step.archiveState;
    }
  }
  // The restore by the command's default undid the newest patch alone.
  EXPECT_NE(states[1], original);
}

}  // namespace
}  // namespace skarvel::test
