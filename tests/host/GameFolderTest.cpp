// The game folder lookup against the game's key below HKEY_LOCAL_MACHINE, and
// the OK of the manual game-folder dialog.
// The tests point the registry at a temporary folder, which only the POSIX registry
// has; on Windows the registry is the system's own.
#ifndef _WIN32

#include "host/GameFolder.h"

#include <gtest/gtest.h>
#include <optional>
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
  enum { kNoKey, kKeyNoValue, kGame, kGameWithTrailingSeparator, kNoExe, kExeIsAFolder, kEmpty } state;
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
                      LookupCase{"FolderNamedGp4ExeDoesNotCount", LookupCase::kExeIsAFolder, true, false, false}),
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

TEST_F(GameFolderTest, ReadOnlyMachineFileGivesNoGameFolderAndTakesNoWrite) {
  const std::string game = GameInstall();
  regpath(registry, game);
  test::MakeReadOnly(MachineFile());
  const std::string before = test::ReadNativeFile(MachineFile());
  bool flag = true;  // from an earlier lookup: a key that cannot be opened leaves it alone
  EXPECT_EQ(GetPath(registry, flag), "");
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

}  // namespace
}  // namespace skarvel

#endif  // _WIN32
