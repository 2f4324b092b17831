// An input/output error on the command line names the file it concerns, as the
// user knows the path, before the runtime's own text.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRunner.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

TEST(CliIoError, NamesTheFileBeforeTheText) {
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("m.wad"), PackedWad({{"a.bin", "aaa"}, {"b.bin", "bb"}}));
  WriteNativeFile(cli.dir.Native("patch/new/fresh.dat"), "new!");
  MakeReadOnly(cli.dir.Native("patch/new/fresh.dat"));  // appended, so opened as it is
  const std::string root = cli.dir.native() + "/";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"verify", "none.wad"}, "skarvel-cli: " + root + "none.wad: Fichier introuvable\n"},
      {{"update", "m.wad", "patch"}, "skarvel-cli: " + root + "patch/new/fresh.dat: Acc\u00E8s au fichier refus\u00E9\n"},
      {{"extract-one", "m.wad", "1", "no/such/folder/b.bin"},
       "skarvel-cli: " + root + "no/such/folder/b.bin: Fichier introuvable\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const CliResult r = cli.Run(c.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(ReadNativeFile(cli.dir.Native("m.wad")), PackedWad({{"a.bin", "aaa"}, {"b.bin", "bb"}}));
}

}  // namespace
}  // namespace skarvel::test
