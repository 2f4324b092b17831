// verify as a process: its verdict is the exit code, its report text or JSON.
#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "host/Encoding.h"
#include "support/WadBytes.h"

namespace skarvel::test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct VerifyCliCase {
  const char* label;
  std::string bytes;
  int exitCode;
  std::vector<std::string> textParts;
  std::vector<std::string> jsonParts;
};

class CliVerify : public ::testing::TestWithParam<VerifyCliCase> {};

TEST_P(CliVerify, ReportsAndAnswersWithTheVerdict) {
  const VerifyCliCase& c = GetParam();
  CliFixture cli;
  WriteNativeFile(cli.dir.Native("v.wad"), c.bytes);

  const CliResult text = cli.Run({"verify", "v.wad"});
  EXPECT_EQ(text.exitCode, c.exitCode) << text.out << text.err;
  for (const std::string& part : c.textParts) EXPECT_TRUE(Has(text.out, part)) << part << "\n" << text.out;

  const CliResult json = cli.Run({"verify", "v.wad", "--json"});
  EXPECT_EQ(json.exitCode, c.exitCode);
  EXPECT_EQ(json.out.rfind("{\"archive\": \"v.wad\", ", 0), 0u) << json.out;
  for (const std::string& part : c.jsonParts) EXPECT_TRUE(Has(json.out, part)) << part << "\n" << json.out;

  EXPECT_EQ(ReadNativeFile(cli.dir.Native("v.wad")), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Archives, CliVerify,
    ::testing::Values(
        VerifyCliCase{"packed", PackedWad({{"a.bin", "aa"}, {"b\\c.bin", "c"}}), 0,
                      {"packed: yes, in directory order", "result: every entry can be read"},
                      {"\"readable\": true", "\"packed\": true", "\"outsideFile\": []"}},
        VerifyCliCase{"outside",
                      Int32Bytes(2) + RawRecord("in", 276, 1) + RawRecord("out\xE9", 276, 9) + "x", 1,
                      {"entries outside the file: 1", "#1 \"" + ToDisplayText("out\xE9") + "\" (offset 276, size 9)",
                       "result: NOT every entry can be read"},
                      {"\"readable\": false",
                       "\"outsideFile\": [{\"index\": 1, \"name\": \"out\xC3\xA9\", \"offset\": 276, \"size\": 9}]"}},
        VerifyCliCase{"directory too long", Int32Bytes(2000000000) + "tiny", 1,
                      {"directory: does not fit: it needs 272000000004 bytes"},
                      {"\"directoryFits\": false", "\"recordsExamined\": 0"}},
        VerifyCliCase{"readable with warnings",
                      Int32Bytes(3) + RawRecord("A.bin", 412, 2) + RawRecord("a.BIN", 413, 2) +
                          RawRecord("..\\up", 420, 1) + "abc....u!!",
                      0,
                      {"overlapping entries: 1", "duplicate names: 1", "names extraction would refuse: 1",
                       "gaps: 1", "trailing bytes: 1", "packed: no"},
                      {"\"overlaps\": [{\"entry\": {\"index\": 1", "\"duplicates\": [{\"entry\": {\"index\": 1",
                       "\"first\": 0", "\"unsafeNames\": [{\"entry\": {\"index\": 2",
                       "\"gaps\": [{\"start\": 415, \"length\": 5}]", "\"trailingBytes\": 1"}}),
    [](const ::testing::TestParamInfo<VerifyCliCase>& info) {
      std::string name;
      for (char c : std::string(info.param.label)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(CliVerifyFile, AMissingArchiveFails) {
  CliFixture cli;
  const CliResult r = cli.Run({"verify", "none.wad"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "skarvel-cli: " + cli.dir.Native("none.wad") + ": Fichier introuvable\n");
}

}  // namespace
}  // namespace skarvel::test
