// The game folder lookup against the game's key below HKEY_LOCAL_MACHINE, and
// the OK of the manual game-folder dialog.
// The tests point the registry at a temporary folder, which only the POSIX registry
// has; on Windows the registry is the system's own.
#ifndef _WIN32

#include "host/GameFolder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <optional>
#include <vector>
#include <string>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "support/TempDir.h"

namespace skarvel {
namespace {

using test::TempDir;
using test::WriteNativeFile;

class GameFolderTest : public ::testing::Test {
 protected:
  TempDir dir;
  Registry registry = Registry::AtFolder(dir.native() + "/registry");
  std::string MachineFile() const { return dir.native() + "/registry/HKEY_LOCAL_MACHINE.reg"; }

  // A folder holding "GP4.exe"; returns its internal path.
  std::string GameInstall(const std::string& relative = "GP4") {
    WriteNativeFile(dir.Native(relative + "\\GP4.exe"), "MZ");
    return dir.Internal(relative);
  }
  void StoreDirectory(const RegistryValue& value) {
    std::optional<RegistryKey> key = registry.Open(RegistryRoot::LocalMachine, GameKeyPath(), true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->Set("Directory", value));
  }
  std::optional<RegistryValue> StoredDirectory() {
    std::optional<RegistryKey> key = registry.Open(RegistryRoot::LocalMachine, GameKeyPath(), false);
    return key ? key->Get("Directory") : std::nullopt;
  }
};

TEST(GameKeyPath, LosesOnlyItsLeadingSeparator) {
  EXPECT_EQ(GameKeyPath(), "Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir");
}

TEST_F(GameFolderTest, KeyWrittenByRegpathNamesTheGameKeyInTheFile) {
  regpath(registry, "C:\\GP4");
  EXPECT_NE(test::ReadNativeFile(MachineFile())
                .find("[HKEY_LOCAL_MACHINE\\Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir]\n"
                      "\"Directory\"=\"C:\\\\GP4\"\n"),
            std::string::npos);
}

// What a lookup gives and does to the flag, for every state of the key.
struct LookupCase {
  const char* label;
  enum { kNoKey, kKeyNoValue, kGame, kGameWithTrailingSeparator, kNoExe, kExeIsAFolder, kEmpty, kExeInOtherCase } state;
  bool flagBefore;
  bool expectFound;     // the folder is returned
  bool expectFlag;
};

class GameFolderLookup : public GameFolderTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(GameFolderLookup, GivesTheFolderOnlyWhenGp4ExeIsThere) {
  const LookupCase& c = GetParam();
  std::string stored;
  switch (c.state) {
    case LookupCase::kNoKey:
      break;
    case LookupCase::kKeyNoValue:
      ASSERT_TRUE(registry.Open(RegistryRoot::LocalMachine, GameKeyPath(), true));
      break;
    case LookupCase::kGame:
      stored = GameInstall();
      break;
    case LookupCase::kGameWithTrailingSeparator:
      stored = GameInstall() + "\\";  // the test path gets a doubled separator, which still names the file
      break;
    case LookupCase::kNoExe:
      WriteNativeFile(dir.Native("Empty\\other.exe"), "");
      stored = dir.Internal("Empty");
      break;
    case LookupCase::kExeIsAFolder:
      WriteNativeFile(dir.Native("Odd\\GP4.exe\\inside"), "");
      stored = dir.Internal("Odd");
      break;
    case LookupCase::kEmpty:
      stored = "";
      break;
    case LookupCase::kExeInOtherCase:
      WriteNativeFile(dir.Native("Copied\\gp4.EXE"), "MZ");
      stored = dir.Internal("Copied");
      break;
  }
  if (c.state != LookupCase::kNoKey && c.state != LookupCase::kKeyNoValue) regpath(registry, stored);
  if ((c.state == LookupCase::kKeyNoValue || c.state == LookupCase::kEmpty) && FileExists("\\GP4.exe")) {
    GTEST_SKIP() << "this machine has a GP4.exe in its root folder";
  }

  bool flag = c.flagBefore;
  const std::string folder = GetPath(registry, flag);
  EXPECT_EQ(folder, c.expectFound ? stored : "");
  EXPECT_EQ(flag, c.expectFlag);
  if (c.expectFound) {
    EXPECT_EQ(folder, GetPath(registry, flag)) << "a second lookup finds the same";
  }
}

INSTANTIATE_TEST_SUITE_P(
    States, GameFolderLookup,
    ::testing::Values(LookupCase{"KeyAbsentLeavesFlagFalse", LookupCase::kNoKey, false, false, false},
                      LookupCase{"KeyAbsentLeavesFlagTrue", LookupCase::kNoKey, true, false, true},
                      LookupCase{"ValueAbsentTestsTheRoot", LookupCase::kKeyNoValue, true, false, false},
                      LookupCase{"EmptyValueTestsTheRoot", LookupCase::kEmpty, true, false, false},
                      LookupCase{"GameFound", LookupCase::kGame, false, true, true},
                      LookupCase{"TrailingSeparatorKept", LookupCase::kGameWithTrailingSeparator, false, true, true},
                      LookupCase{"ExeMissing", LookupCase::kNoExe, true, false, false},
                      LookupCase{"FolderNamedGp4ExeDoesNotCount", LookupCase::kExeIsAFolder, true, false, false},
                      LookupCase{"ExeNamedInOtherCase", LookupCase::kExeInOtherCase, false, true, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(GameFolderTest, KeyRemovedAfterASuccessfulLookupGivesNothingAndKeepsTheFlag) {
  const std::string game = GameInstall();
  regpath(registry, game);
  bool flag = false;
  ASSERT_EQ(GetPath(registry, flag), game);
  ASSERT_TRUE(registry.DeleteKey(RegistryRoot::LocalMachine, GameKeyPath()));
  EXPECT_EQ(GetPath(registry, flag), "");
  EXPECT_TRUE(flag);
}

TEST_F(GameFolderTest, EveryLookupAsksAgain) {
  const std::string first = GameInstall("First");
  const std::string second = GameInstall("Second");
  regpath(registry, first);
  bool flag = false;
  ASSERT_EQ(GetPath(registry, flag), first);
  regpath(registry, second);
  EXPECT_EQ(GetPath(registry, flag), second);
}

// A user without the right to write the machine's keys still reads them: the
// game is found, and only the dialog's write is refused.
TEST_F(GameFolderTest, ReadOnlyMachineFileGivesTheGameFolderAndTakesNoWrite) {
  const std::string game = GameInstall();
  regpath(registry, game);
  test::MakeReadOnly(MachineFile());
  const std::string before = test::ReadNativeFile(MachineFile());
  bool flag = false;
  EXPECT_EQ(GetPath(registry, flag), game);
  EXPECT_TRUE(flag);

  // The dialog's OK writes nothing and says nothing; the window still looks again.
  int reinitialised = 0;
  Button1Click(registry, GameInstall("Other"), [&] { ++reinitialised; });
  EXPECT_EQ(reinitialised, 1);
  EXPECT_EQ(test::ReadNativeFile(MachineFile()), before);
}

TEST_F(GameFolderTest, DirectoryOfAnotherTypeIsATypeError) {
  StoreDirectory(RegistryValue{kRegDword, std::string(4, '\1')});
  bool flag = true;
  try {
    GetPath(registry, flag);
    ADD_FAILURE() << "no error";
  } catch (const RegistryError& error) {
    EXPECT_EQ(std::string(error.what()), Utf8ToCp1252("Type de données incorrect pour 'Directory'"));
  }
  EXPECT_TRUE(flag);
}

TEST_F(GameFolderTest, ExpandableDirectoryIsUsedAsStored) {
  const std::string game = GameInstall();
  StoreDirectory(RegistryValue{kRegExpandSz, game + std::string(1, '\0')});
  bool flag = false;
  EXPECT_EQ(GetPath(registry, flag), game);
  EXPECT_TRUE(flag);
}

TEST_F(GameFolderTest, OkWithGp4ExeWritesTheFolderThenReinitialises) {
  const std::string game = GameInstall();
  std::string seenByWindow;
  bool flag = false;
  int reinitialised = 0;
  Button1Click(registry, game, [&] {
    ++reinitialised;
    seenByWindow = GetPath(registry, flag);
  });
  EXPECT_EQ(reinitialised, 1);
  EXPECT_EQ(seenByWindow, game);
  EXPECT_TRUE(flag);
  EXPECT_EQ(StoredDirectory(), RegistryValue::String(game));
}

TEST_F(GameFolderTest, OkWithoutGp4ExeDoesNothing) {
  WriteNativeFile(dir.Native("NotGame\\readme.txt"), "");
  const std::string old = GameInstall();
  regpath(registry, old);
  const std::string before = test::ReadNativeFile(MachineFile());
  int reinitialised = 0;
  Button1Click(registry, dir.Internal("NotGame"), [&] { ++reinitialised; });
  EXPECT_EQ(reinitialised, 0);
  EXPECT_EQ(test::ReadNativeFile(MachineFile()), before);

  Registry fresh = Registry::AtFolder(dir.native() + "/fresh");
  Button1Click(fresh, dir.Internal("NotGame"), [&] { ++reinitialised; });
  EXPECT_EQ(reinitialised, 0);
  EXPECT_FALSE(test::NativeExists(dir.native() + "/fresh")) << "not even the registry folder is made";
}

// Without a key of the program's own, the key that the game's installer wrote
// into a Wine prefix names the folder, through the prefix's drive links.
struct WinePrefixCase {
  const char* label;
  const char* section;   // the key's section of system.reg, as Wine writes it
  const char* value;     // its "Directory"
  const char* game;      // the folder below drive_c that holds the program, or ""
  const char* program;   // its name there
  bool ownKey;           // the program's own registry names "Own" (which holds GP4.exe)
  const char* expected;  // below dosdevices/c:, "Own", or "" for no folder
  bool flagAfter;        // the flag was true before
};

TEST_F(GameFolderTest, AKeyInAWinePrefixNamesTheFolderWhenTheProgramHasNone) {
  // The sections and values as Wine writes them: "\\" for "\", "\x" for a letter.
  const char* kView32 = "[Software\\\\Wow6432Node\\\\Infogrames\\\\Grand Prix 4\\\\1.00\\\\Install Dir] 1700000000\n#time=1da\n";
  const char* kPlain = "[Software\\\\Infogrames\\\\Grand Prix 4\\\\1.00\\\\Install Dir] 1700000000\n";
  const char* kProgramFiles = "\"Directory\"=\"C:\\\\Program Files (x86)\\\\Infogrames\\\\Grand Prix 4\"\n";
  const std::vector<WinePrefixCase> cases = {
      {"32-bit view of a 64-bit prefix", kView32, kProgramFiles, "Program Files (x86)/Infogrames/Grand Prix 4",
       "GP4.exe", false, "Program Files (x86)/Infogrames/Grand Prix 4", true},
      {"a 32-bit prefix; names in other case", kPlain, "\"directory\"=str(2):\"c:\\\\games\\\\gp4\"\n", "Games/GP4",
       "gp4.exe", false, "Games/GP4", true},
      {"an escaped letter", kPlain, "\"Directory\"=\"C:\\\\caf\\x00e9\"\n", "Caf\xC3\xA9", "GP4.exe", false,
       "Caf\xC3\xA9", true},
      {"the folder holds no program", kView32, kProgramFiles, "Program Files (x86)/Infogrames/Grand Prix 4",
       "readme.txt", false, "", false},
      {"no key in the prefix keeps the flag", "[Software\\\\Other] 1\n", kProgramFiles, "", "", false, "", true},
      {"the program's own key comes first", kView32, kProgramFiles, "Program Files (x86)/Infogrames/Grand Prix 4",
       "GP4.exe", true, "Own", true},
  };
  for (const WinePrefixCase& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir scratch;
    Registry own = Registry::AtFolder(scratch.native() + "/registry");
    const std::string prefix = scratch.native() + "/prefix";
    WriteNativeFile(scratch.Native("prefix\\drive_c\\keep"), "");
    std::filesystem::create_directories(prefix + "/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    if (*c.game) WriteNativeFile(prefix + "/drive_c/" + c.game + "/" + c.program, "MZ");
    WriteNativeFile(prefix + "/system.reg",
                    std::string("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n") +
                        c.section + c.value + "\n[Software\\\\Later] 1\n\"Directory\"=\"D:\\\\wrong\"\n");
    own.SetWinePrefixes({scratch.native() + "/elsewhere", prefix});
    if (c.ownKey) {
      WriteNativeFile(scratch.Native("Own\\GP4.exe"), "MZ");
      regpath(own, scratch.Internal("Own"));
    }
    const std::string before = test::ReadNativeFile(prefix + "/system.reg");

    bool flag = true;
    const std::string folder = GetPath(own, flag);

    const std::string expected = std::string(c.expected) == "Own" ? scratch.Internal("Own")
                                 : *c.expected ? ToInternalPath(prefix + "/dosdevices/c:/" + c.expected)
                                               : "";
    EXPECT_EQ(folder, expected);
    EXPECT_EQ(flag, c.flagAfter);
    EXPECT_EQ(test::ReadNativeFile(prefix + "/system.reg"), before);
  }
}

}  // namespace
}  // namespace skarvel

#endif  // _WIN32
