// The registry kept in regedit-export files: what it stores comes back byte for
// byte, the file reads as an ordinary export, damaged files are reported and left
// alone, and concurrent or interrupted writes lose nothing.
#ifndef _WIN32

#include "host/Registry.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/platform/posix/RegistryFile.h"
#include "support/TempDir.h"

namespace skarvel {
namespace {

using test::ReadNativeFile;
using test::TempDir;
using test::WriteNativeFile;

constexpr char kKey[] = "Software\\Vintrel's Tools\\Skarvel";

RegistryValue Typed(std::uint32_t type, std::string data) { return RegistryValue{type, std::move(data)}; }

class RegistryFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  Registry registry = Registry::AtFolder(dir.native());
  std::string UserFile() const { return dir.native() + "/HKEY_CURRENT_USER.reg"; }
  std::string MachineFile() const { return dir.native() + "/HKEY_LOCAL_MACHINE.reg"; }
  RegistryKey OpenKey(RegistryRoot root = RegistryRoot::CurrentUser) {
    std::optional<RegistryKey> key = registry.Open(root, kKey, true);
    if (!key) throw std::runtime_error("key not created");
    return *key;
  }
};

// --- Round trips ------------------------------------------------------------

struct RoundTrip {
  const char* label;
  std::string name;
  RegistryValue value;
  // The line the file holds for it, when it has a readable form worth checking.
  std::string line;
};

class RegistryRoundTrip : public RegistryFileTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(RegistryRoundTrip, ValueComesBackFromTheFileUnchanged) {
  const RoundTrip& c = GetParam();
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set(c.name, c.value));

  // A fresh registry on the same folder holds nothing but what the file says.
  std::optional<RegistryKey> again = Registry::AtFolder(dir.native()).Open(RegistryRoot::CurrentUser, kKey, false);
  ASSERT_TRUE(again);
  std::optional<RegistryValue> read = again->Get(c.name);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->type, c.value.type);
  EXPECT_EQ(read->data, c.value.data);

  const std::string text = ReadNativeFile(UserFile());
  if (!c.line.empty()) {
    EXPECT_NE(text.find("\n" + c.line + "\n"), std::string::npos) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryRoundTrip,
    ::testing::Values(
        RoundTrip{"Plain", "FileName", RegistryValue::String("C:\\Jeux\\GP4"), "\"FileName\"=\"C:\\\\Jeux\\\\GP4\""},
        RoundTrip{"QuotesAndEscapes", "Say \"hi\"\\", RegistryValue::String("a\"b\\\"c\\"),
                  "\"Say \\\"hi\\\"\\\\\"=\"a\\\"b\\\\\\\"c\\\\\""},
        RoundTrip{"Brackets", "[x]=y", RegistryValue::String("[Section]=value]"),
                  "\"[x]=y\"=\"[Section]=value]\""},
        RoundTrip{"EmptyText", "Empty", RegistryValue::String(""), "\"Empty\"=\"\""},
        RoundTrip{"DefaultValue", "", RegistryValue::String("default"), "@=\"default\""},
        RoundTrip{"NonAsciiAsUtf8", "Ann\xE9" "e", RegistryValue::String("\xC9" "curie \x80 \xFF"),
                  "\"Ann\xC3\xA9" "e\"=\"\xC3\x89" "curie \xE2\x82\xAC \xC3\xBF\""},
        RoundTrip{"UndefinedByteAsHex", "Odd\x81", RegistryValue::String("a\x81"), ""},
        RoundTrip{"EmbeddedNul", "Nul", Typed(kRegSz, std::string("ab\0cd\0", 6)), "\"Nul\"=hex(1):61,62,00,63,64,00"},
        RoundTrip{"NoClosingNul", "Open", Typed(kRegSz, "abc"), "\"Open\"=hex(1):61,62,63"},
        RoundTrip{"NoDataAtAll", "Zero", Typed(kRegSz, ""), "\"Zero\"=hex(1):"},
        RoundTrip{"ControlCharacters", "Tab", RegistryValue::String("a\tb\r\nc"), ""},
        RoundTrip{"Expandable", "Exp", Typed(kRegExpandSz, std::string("%TEMP%\\x\0", 9)),
                  "\"Exp\"=hex(2):25,54,45,4d,50,25,5c,78,00"},
        RoundTrip{"Number", "Continue", Typed(kRegDword, std::string("\x01\x02\x03\x80", 4)),
                  "\"Continue\"=dword:80030201"},
        RoundTrip{"NumberOfWrongSize", "Short", Typed(kRegDword, "\x01\x02"), "\"Short\"=hex(4):01,02"},
        RoundTrip{"Binary", "Bin", Typed(kRegBinary, std::string("\0\xFF", 2)), "\"Bin\"=hex:00,ff"},
        RoundTrip{"LongBinaryWraps", "Long", Typed(kRegBinary, std::string(100, '\x5A')), ""},
        RoundTrip{"OtherType", "Q", Typed(11, std::string(8, '\x07')), "\"Q\"=hex(b):07,07,07,07,07,07,07,07"},
        RoundTrip{"NoneType", "None", Typed(kRegNone, ""), "\"None\"=hex(0):"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RegistryFileTest, FileIsAnOrdinaryRegeditExport) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("FileName", RegistryValue::String("C:\\src")));
  ASSERT_TRUE(key.Set("Bin", Typed(kRegBinary, std::string(40, '\x01'))));
  const std::string expected =
      "REGEDIT4\n\n"
      "[HKEY_CURRENT_USER\\Software]\n\n"
      "[HKEY_CURRENT_USER\\Software\\Vintrel's Tools]\n\n"
      "[HKEY_CURRENT_USER\\Software\\Vintrel's Tools\\Skarvel]\n"
      "\"FileName\"=\"C:\\\\src\"\n"
      "\"Bin\"=hex:01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,\\\n"
      "  01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01\n\n";
  EXPECT_EQ(ReadNativeFile(UserFile()), expected);
  struct stat info {};
  ASSERT_EQ(stat(UserFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 077, 0u) << "the settings are the user's alone";
  EXPECT_FALSE(test::NativeExists(UserFile() + ".tmp"));
}

TEST_F(RegistryFileTest, ReadsAnExportMadeOnWindows) {
  // CRLF, a comment, Windows-1252 bytes, a continued hex list, a repeated
  // section and a file that names only the deepest key of the path.
  WriteNativeFile(UserFile(),
                  "REGEDIT4\r\n\r\n; made by hand\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Vintrel's Tools\\Skarvel]\r\n"
                  "\"WadName\"=\"C:\\\\Jeux\\\\\xC9" "curie.wad\"\r\n"
                  "\"Exp\"=hex(2):25,50,41,\\\r\n  54,48,25,00\r\n"
                  "[hkey_current_user\\SOFTWARE\\vintrel's tools\\skarvel]\r\n"
                  "\"n\"=dword:0000002a\r\n");
  std::optional<RegistryKey> key = registry.Open(RegistryRoot::CurrentUser, kKey, false);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadString("wadname", ""), "C:\\Jeux\\\xC9" "curie.wad");
  EXPECT_EQ(key->Get("Exp"), Typed(kRegExpandSz, std::string("%PATH%\0", 7)));
  EXPECT_EQ(key->Get("N"), Typed(kRegDword, std::string("\x2a\0\0\0", 4)));
  EXPECT_TRUE(registry.Open(RegistryRoot::CurrentUser, "Software\\Vintrel's Tools", false));
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, "Software\\Vintrel", false));
}

// --- Keys ---------------------------------------------------------------------

TEST_F(RegistryFileTest, KeysAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("WadName", RegistryValue::String("a")));
  std::optional<RegistryKey> other = registry.Open(RegistryRoot::CurrentUser, "SOFTWARE\\vintrel's tools\\SKARVEL", true);
  ASSERT_TRUE(other);
  ASSERT_TRUE(other->Set("WADNAME", RegistryValue::String("b")));
  EXPECT_EQ(key.ReadString("wadname", ""), "b");
  const std::string text = ReadNativeFile(UserFile());
  EXPECT_NE(text.find("\"WadName\"=\"b\""), std::string::npos);
  EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
  EXPECT_EQ(text.find("WADNAME"), std::string::npos);
}

TEST_F(RegistryFileTest, OpeningWithoutCreatingWritesNothing) {
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, kKey, false));
  EXPECT_FALSE(test::NativeExists(UserFile()));
  ASSERT_TRUE(registry.Open(RegistryRoot::CurrentUser, kKey, true));
  const std::string before = ReadNativeFile(UserFile());
  ASSERT_TRUE(registry.Open(RegistryRoot::CurrentUser, kKey, true));  // already there: nothing to write
  EXPECT_EQ(ReadNativeFile(UserFile()), before);
  EXPECT_FALSE(test::NativeExists(MachineFile())) << "each root keeps its own file";
}

TEST_F(RegistryFileTest, KeyPathsThatCannotBeStoredAreNotOpened) {
  for (const char* path : {"\\Software", "Software\\", "Soft\\\\ware", "Soft\nware"}) {
    EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, path, true)) << path;
  }
  EXPECT_FALSE(OpenKey().Set("line\nbreak", RegistryValue::String("x")));
}

TEST_F(RegistryFileTest, RemovedKeyTakesNoValuesAndReadsEmpty) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("x", RegistryValue::String("1")));
  EXPECT_FALSE(registry.DeleteKey(RegistryRoot::CurrentUser, "Software\\Vintrel's Tools")) << "it has a subkey";
  ASSERT_TRUE(registry.DeleteKey(RegistryRoot::CurrentUser, kKey));
  EXPECT_FALSE(registry.DeleteKey(RegistryRoot::CurrentUser, kKey));
  EXPECT_FALSE(key.Get("x"));
  EXPECT_FALSE(key.Set("x", RegistryValue::String("2")));
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, kKey, false));
  EXPECT_TRUE(registry.Open(RegistryRoot::CurrentUser, "Software\\Vintrel's Tools", false));
}

// --- Access -------------------------------------------------------------------

TEST_F(RegistryFileTest, ReadOnlyFileRefusesFullAccessAndStaysAsItWas) {
  OpenKey(RegistryRoot::LocalMachine).Set("Directory", RegistryValue::String("C:\\GP4"));
  const std::string before = ReadNativeFile(MachineFile());
  test::MakeReadOnly(MachineFile());
  EXPECT_FALSE(registry.Open(RegistryRoot::LocalMachine, kKey, false));
  EXPECT_FALSE(registry.Open(RegistryRoot::LocalMachine, kKey, true));
  EXPECT_FALSE(registry.Open(RegistryRoot::LocalMachine, "Software\\New", true));
  // Opened for reading, the key reads, and refuses a write.
  std::optional<RegistryKey> reading = registry.OpenForReading(RegistryRoot::LocalMachine, kKey);
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->ReadString("Directory", ""), "C:\\GP4");
  EXPECT_FALSE(reading->Set("Directory", RegistryValue::String("D:\\")));
  EXPECT_FALSE(registry.OpenForReading(RegistryRoot::LocalMachine, "Software\\New"));
  EXPECT_EQ(ReadNativeFile(MachineFile()), before);
  EXPECT_TRUE(registry.Open(RegistryRoot::CurrentUser, kKey, true)) << "the other root is not affected";
}

TEST_F(RegistryFileTest, KeyOpenedBeforeTheFileTurnedReadOnlyRefusesWrites) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("a", RegistryValue::String("1")));
  const std::string before = ReadNativeFile(UserFile());
  test::MakeReadOnly(UserFile());
  EXPECT_FALSE(key.Set("a", RegistryValue::String("2")));
  EXPECT_EQ(ReadNativeFile(UserFile()), before);
  EXPECT_EQ(key.ReadString("a", ""), "1");
}

TEST_F(RegistryFileTest, ReadOnlyFolderRefusesCreation) {
  const std::string folder = dir.Native("config");
  WriteNativeFile(folder + "/placeholder", "");
  test::MakeReadOnly(folder);
  Registry inside = Registry::AtFolder(folder + "/skarvel");
  EXPECT_FALSE(inside.Open(RegistryRoot::CurrentUser, kKey, true));
  EXPECT_FALSE(test::NativeExists(folder + "/skarvel"));
}

TEST_F(RegistryFileTest, MissingFoldersAreCreated) {
  Registry deep = Registry::AtFolder(dir.Native("a\\b\\skarvel"));
  std::optional<RegistryKey> key = deep.Open(RegistryRoot::CurrentUser, kKey, true);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->Set("x", RegistryValue::String("y")));
  EXPECT_TRUE(test::NativeExists(dir.Native("a\\b\\skarvel\\HKEY_CURRENT_USER.reg")));
}

struct DefaultFolderCase {
  const char* label;
  const char* xdg;  // nullptr: unset
  const char* home;
  const char* expected;
};

class RegistryDefaultFolder : public ::testing::TestWithParam<DefaultFolderCase> {
 protected:
  void SetUp() override {
    for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_P(RegistryDefaultFolder, FollowsTheXdgRules) {
  const DefaultFolderCase& c = GetParam();
  if (c.xdg) setenv("XDG_CONFIG_HOME", c.xdg, 1);
  else unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", c.home, 1);
  EXPECT_EQ(Registry::Default().folder(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, RegistryDefaultFolder,
                         ::testing::Values(DefaultFolderCase{"Xdg", "/cfg", "/home/u", "/cfg/skarvel"},
                                           DefaultFolderCase{"NoXdg", nullptr, "/home/u", "/home/u/.config/skarvel"},
                                           DefaultFolderCase{"EmptyXdg", "", "/home/u", "/home/u/.config/skarvel"},
                                           DefaultFolderCase{"RelativeXdg", "cfg", "/home/u", "/home/u/.config/skarvel"}),
                         [](const auto& info) { return std::string(info.param.label); });

// --- Damaged files ------------------------------------------------------------

struct DamagedCase {
  const char* label;
  std::string text;
  int line;
};

class RegistryDamagedFile : public RegistryFileTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(RegistryDamagedFile, IsReportedWithFileAndLineAndNeverRewritten) {
  const DamagedCase& c = GetParam();
  WriteNativeFile(UserFile(), c.text);
  // The file as the user knows its path (the temporary folder's name is ASCII).
  const std::string expected = UserFile() + ", line " + std::to_string(c.line) + ":";
  auto expectReported = [&](const auto& action) {
    try {
      action();
      ADD_FAILURE() << "no error for " << c.label;
    } catch (const RegistryError& error) {
      EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
    }
  };
  expectReported([&] { registry.Open(RegistryRoot::CurrentUser, kKey, false); });
  expectReported([&] { registry.Open(RegistryRoot::CurrentUser, "Software\\Other", true); });
  expectReported([&] { registry.DeleteKey(RegistryRoot::CurrentUser, kKey); });
  EXPECT_EQ(ReadNativeFile(UserFile()), c.text);
}

const std::string kHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Vintrel's Tools\\Skarvel]\n";

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryDamagedFile,
    ::testing::Values(DamagedCase{"NoHeader", "[HKEY_CURRENT_USER\\Software]\n", 1},
                      DamagedCase{"ValueBeforeKey", "REGEDIT4\n\"a\"=\"b\"\n", 2},
                      DamagedCase{"UnclosedKey", "REGEDIT4\n[HKEY_CURRENT_USER\\Software\n", 2},
                      DamagedCase{"OtherRoot", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n", 2},
                      DamagedCase{"RootPrefixOnly", "REGEDIT4\n[HKEY_CURRENT_USERS\\Software]\n", 2},
                      DamagedCase{"EmptyKeyName", "REGEDIT4\n[HKEY_CURRENT_USER\\a\\\\b]\n", 2},
                      DamagedCase{"UnclosedText", kHead + "\"a\"=\"b\n", 4},
                      DamagedCase{"BadEscape", kHead + "\"a\"=\"b\\n\"\n", 4},
                      DamagedCase{"TextAfterText", kHead + "\"a\"=\"b\" x\n", 4},
                      DamagedCase{"NoEquals", kHead + "\"a\" \"b\"\n", 4},
                      DamagedCase{"BadDword", kHead + "\"a\"=dword:12345678z\n", 4},
                      DamagedCase{"LongDword", kHead + "\"a\"=dword:123456789\n", 4},
                      DamagedCase{"BadHexByte", kHead + "\"a\"=hex:01,1g\n", 4},
                      DamagedCase{"TrailingComma", kHead + "\"a\"=hex:01,\n", 4},
                      DamagedCase{"HexAtEnd", kHead + "\"a\"=hex:01,\\\n", 4},
                      DamagedCase{"UnknownType", kHead + "\"a\"=word:1\n", 4},
                      DamagedCase{"DeletionLine", kHead + "\"a\"=-\n", 4},
                      DamagedCase{"Garbage", kHead + "\n\nsomething\n", 6},
                      DamagedCase{"Unholdable", kHead + "\"a\"=\"\xC5\x81\"\n", 4}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RegistryFileTest, DamagedFileIsReportedOnReadAndWriteThroughAnOpenKey) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("a", RegistryValue::String("1")));
  const std::string damaged = ReadNativeFile(UserFile()) + "oops\n";
  WriteNativeFile(UserFile(), damaged);
  EXPECT_THROW(key.Get("a"), RegistryError);
  EXPECT_THROW(key.Set("b", RegistryValue::String("2")), RegistryError);
  EXPECT_EQ(ReadNativeFile(UserFile()), damaged);
}

TEST_F(RegistryFileTest, EmptyFileHoldsNothing) {
  WriteNativeFile(UserFile(), "");
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, kKey, false));
  EXPECT_TRUE(registry.Open(RegistryRoot::CurrentUser, kKey, true));
  EXPECT_EQ(ReadNativeFile(UserFile()).substr(0, 10), "REGEDIT4\n\n");
}

// --- Concurrency and crashes --------------------------------------------------

int WaitForChild(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(RegistryFileTest, TwoProcessesWritingTheSameKeyLoseNothing) {
  constexpr int kWrites = 100;
  OpenKey();
  auto writeAll = [&](const std::string& prefix) {
    std::optional<RegistryKey> key = Registry::AtFolder(dir.native()).Open(RegistryRoot::CurrentUser, kKey, true);
    if (!key) return false;
    for (int i = 0; i < kWrites; ++i) {
      if (!key->Set(prefix + std::to_string(i), RegistryValue::String(prefix + " value " + std::to_string(i)))) return false;
    }
    return true;
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(writeAll("child") ? 0 : 1);
  const bool parentWrote = writeAll("parent");
  ASSERT_EQ(WaitForChild(child), 0);
  ASSERT_TRUE(parentWrote);

  RegistryKey key = OpenKey();
  for (const std::string prefix : {"child", "parent"}) {
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(key.ReadString(prefix + std::to_string(i), "<lost>"), prefix + " value " + std::to_string(i));
    }
  }
}

TEST_F(RegistryFileTest, WriteInterruptedBeforeItsRenameLeavesThePreviousFile) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("WadName", RegistryValue::String("old")));
  const std::string before = ReadNativeFile(UserFile());

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    regfile::RootFile file(dir.native(), RegistryRoot::CurrentUser);
    file.Update(
        [](regfile::Contents& contents) {
          contents.Find(kKey)->Set("WadName", RegistryValue::String("new"));
          return true;
        },
        [] { _exit(7); });  // the process dies with the new file written but not in place
    _exit(0);
  }
  ASSERT_EQ(WaitForChild(child), 7);

  EXPECT_EQ(ReadNativeFile(UserFile()), before);
  EXPECT_EQ(key.ReadString("WadName", ""), "old");
  // The lock died with the process and the leftover is no obstacle.
  ASSERT_TRUE(key.Set("WadName", RegistryValue::String("next")));
  EXPECT_EQ(key.ReadString("WadName", ""), "next");
  EXPECT_FALSE(test::NativeExists(UserFile() + ".tmp"));
}

TEST_F(RegistryFileTest, RewriteKeepsTheFilePermissions) {
  RegistryKey key = OpenKey();
  ASSERT_TRUE(key.Set("a", RegistryValue::String("1")));
  ASSERT_EQ(chmod(UserFile().c_str(), 0640), 0);
  ASSERT_TRUE(key.Set("a", RegistryValue::String("2")));
  struct stat info {};
  ASSERT_EQ(stat(UserFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace skarvel

#endif  // _WIN32
