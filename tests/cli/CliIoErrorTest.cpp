// An input/output error on the command line names the file it concerns, as the
// user knows the path, before the runtime's own text.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRunner.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

TEST(CliIoError, NamesTheFileBeforeTheText) {
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("m.wad"), PackedWad({{"a.bin", "aaa"}, {"b.bin", "bb"}}));
  WriteNativeFile(cli.dir.Native("patch/new/fresh.dat"), "new!");
  MakeReadOnly(cli.dir.Native("patch/new/fresh.dat"));  // appended, so opened as it is
  // Texts as the terminal shows them; a missing folder is "no such file" on
  // POSIX and "path not found" on Windows.
  const auto said = [&](const std::string& relative, int code) {
    return "skarvel-cli: " + cli.dir.Native(relative) + ": " + ToDisplayText(IoError::TextFor(code)) + "\n";
  };
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"verify", "none.wad"}, said("none.wad", 2)},
      {{"update", "m.wad", "patch"}, said("patch\\new\\fresh.dat", 5)},
      {{"extract-one", "m.wad", "1", ToNativePath("no\\such\\folder\\b.bin")},
       said("no\\such\\folder\\b.bin", kMissingFolderCode)},
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
