// The settings store: stored forms, defaults, type errors, refused writes and
// the in-memory store that stands in when the registry cannot be written.
// The tests point the registry at a temporary folder, which only the POSIX registry
// has; on Windows the registry is the system's own.
#ifndef _WIN32

#include "host/SettingsStore.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "support/TempDir.h"

namespace skarvel {
namespace {

using test::ReadNativeFile;
using test::TempDir;

RegistryValue Typed(std::uint32_t type, std::string data) { return RegistryValue{type, std::move(data)}; }

class SettingsStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  Registry registry = Registry::AtFolder(dir.native());
  std::string UserFile() const { return dir.native() + "/HKEY_CURRENT_USER.reg"; }
  // Puts a value of any type into the key, as another program could.
  void Store(const std::string& key, const std::string& name, const RegistryValue& value) {
    std::optional<RegistryKey> opened = registry.Open(RegistryRoot::CurrentUser, key, true);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(opened->Set(name, value));
  }
  std::optional<RegistryValue> Stored(const std::string& key, const std::string& name) {
    std::optional<RegistryKey> opened = registry.Open(RegistryRoot::CurrentUser, key, false);
    return opened ? opened->Get(name) : std::nullopt;
  }
};

void ExpectRegistryError(const std::function<void()>& action, const std::string& utf8Text) {
  try {
    action();
    ADD_FAILURE() << "no error, expected " << utf8Text;
  } catch (const RegistryError& error) {
    EXPECT_EQ(std::string(error.what()), Utf8ToCp1252(utf8Text));
  }
}

TEST_F(SettingsStoreTest, FirstRunCreatesTheKeyEmpty) {
  SettingsStore store = SettingsStore::Open(registry, kMainSettingsKey);
  EXPECT_FALSE(store.IsInMemory());
  EXPECT_TRUE(registry.Open(RegistryRoot::CurrentUser, "Software\\Vintrel's Tools\\Skarvel", false));
  EXPECT_NE(ReadNativeFile(UserFile()).find("[HKEY_CURRENT_USER\\Software\\Vintrel's Tools\\Skarvel]\n\n"),
            std::string::npos);
  EXPECT_EQ(store.ReadString("FileName", "...or select a file"), "...or select a file");
  EXPECT_EQ(store.ReadString("WadName", ""), "");
}

TEST_F(SettingsStoreTest, WritesRegistryStringsAndReadsThemBackWithoutCaching) {
  SettingsStore store = SettingsStore::Open(registry, kMainSettingsKey);
  SettingsStore other = SettingsStore::Open(registry, kMainSettingsKey);
  store.WriteString("WadName", "C:\\Jeux\\GP4\\f1gstate.wad");
  store.WriteBool("Flag", true);
  store.WriteBool("Off", false);
  EXPECT_EQ(Stored(kMainSettingsKey, "WadName"), RegistryValue::String("C:\\Jeux\\GP4\\f1gstate.wad"));
  EXPECT_EQ(Stored(kMainSettingsKey, "Flag"), Typed(kRegSz, std::string("1\0", 2)));
  EXPECT_EQ(Stored(kMainSettingsKey, "Off"), Typed(kRegSz, std::string("0\0", 2)));
  EXPECT_EQ(other.ReadString("wadname", ""), "C:\\Jeux\\GP4\\f1gstate.wad") << "a second store sees it at once";
  other.WriteString("WADNAME", "");
  EXPECT_EQ(store.ReadString("WadName", "default"), "") << "an empty text is a value, not an absence";
}

TEST_F(SettingsStoreTest, TheTwoKeysAreSeparate) {
  SettingsStore main = SettingsStore::Open(registry, kMainSettingsKey);
  SettingsStore package = SettingsStore::Open(registry, kPackageSettingsKey);
  package.WriteString("WadName", "package");
  EXPECT_EQ(main.ReadString("WadName", "none"), "none");
  EXPECT_TRUE(Stored(kPackageSettingsKey, "WadName"));
}

struct StoredText {
  const char* label;
  RegistryValue value;
  std::string expected;
};

class SettingsStoreReadString : public SettingsStoreTest, public ::testing::WithParamInterface<StoredText> {};

TEST_P(SettingsStoreReadString, GivesTheStoredTextAsTheRegistryHoldsIt) {
  Store(kMainSettingsKey, "FileName", GetParam().value);
  EXPECT_EQ(SettingsStore::Open(registry, kMainSettingsKey).ReadString("FileName", "default"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsStoreReadString,
    ::testing::Values(StoredText{"Plain", RegistryValue::String("C:\\src"), "C:\\src"},
                      StoredText{"EmbeddedNul", Typed(kRegSz, std::string("C:\\a\0C:\\b\0", 10)), "C:\\a"},
                      StoredText{"NoClosingNul", Typed(kRegSz, "C:\\abc"), "C:\\abc"},
                      StoredText{"EmptyData", Typed(kRegSz, ""), ""},
                      StoredText{"EmptyDataOfAnotherType", Typed(kRegDword, ""), ""},
                      StoredText{"ExpandableNotExpanded", Typed(kRegExpandSz, std::string("%USERPROFILE%\\gp4\0", 18)),
                                 "%USERPROFILE%\\gp4"},
                      StoredText{"NonAscii", RegistryValue::String("C:\\\xC9" "curies\\\x80"), "C:\\\xC9" "curies\\\x80"}),
    [](const auto& info) { return std::string(info.param.label); });

struct ContinueCase {
  const char* label;
  std::optional<std::string> text;  // nullopt: no value
  bool defaultValue;
  bool expected;
};

class SettingsStoreReadBool : public SettingsStoreTest, public ::testing::WithParamInterface<ContinueCase> {};

TEST_P(SettingsStoreReadBool, ReadsContinueAsTheInstallerDoes) {
  const ContinueCase& c = GetParam();
  SettingsStore store = SettingsStore::Open(registry, kPackageSettingsKey);
  if (c.text) store.WriteString("Continue", *c.text);
  EXPECT_EQ(store.ReadBool("Continue", c.defaultValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Continue, SettingsStoreReadBool,
                         ::testing::Values(ContinueCase{"Zero", "0", true, false},
                                           ContinueCase{"One", "1", false, true},
                                           ContinueCase{"Two", "2", false, true},
                                           ContinueCase{"MinusOne", "-1", false, true},
                                           ContinueCase{"EmptyTrue", "", true, true},
                                           ContinueCase{"EmptyFalse", "", false, false},
                                           ContinueCase{"YesTrue", "yes", true, true},
                                           ContinueCase{"YesFalse", "yes", false, false},
                                           ContinueCase{"AbsentTrue", std::nullopt, true, true},
                                           ContinueCase{"AbsentFalse", std::nullopt, false, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ParseStoredInteger, ReadsWhatTheRuntimeReads) {
  struct Case {
    const char* text;
    std::optional<long long> expected;
  };
  for (const Case& c : {Case{"0", 0}, Case{"-1", -1}, Case{"+7", 7}, Case{"  12", 12}, Case{"$1F", 31},
                        Case{"0x10", 16}, Case{"2147483647", 2147483647LL}, Case{"-2147483648", -2147483648LL},
                        Case{"2147483648", std::nullopt}, Case{"", std::nullopt}, Case{"-", std::nullopt},
                        Case{"$", std::nullopt}, Case{"1.0", std::nullopt}, Case{"12a", std::nullopt},
                        Case{"$FFFFFFFF", 0xFFFFFFFFLL}, Case{"$100000000", std::nullopt}}) {
    EXPECT_EQ(ParseStoredInteger(c.text), c.expected) << c.text;
  }
}

TEST_F(SettingsStoreTest, ANumberValueIsATypeErrorForStringsAndBooleans) {
  Store(kPackageSettingsKey, "Continue", Typed(kRegDword, std::string("\1\0\0\0", 4)));
  SettingsStore store = SettingsStore::Open(registry, kPackageSettingsKey);
  ExpectRegistryError([&] { store.ReadBool("Continue", true); }, "Type de données incorrect pour 'Continue'");
  ExpectRegistryError([&] { store.ReadString("Continue", ""); }, "Type de données incorrect pour 'Continue'");
  Store(kPackageSettingsKey, "Bin", Typed(kRegBinary, "1"));
  ExpectRegistryError([&] { store.ReadBool("Bin", true); }, "Type de données incorrect pour 'Bin'");
}

TEST_F(SettingsStoreTest, ARefusedWriteIsAnErrorAndChangesNothing) {
  SettingsStore store = SettingsStore::Open(registry, kMainSettingsKey);
  store.WriteString("WadName", "kept");
  const std::string before = ReadNativeFile(UserFile());
  test::MakeReadOnly(UserFile());
  ExpectRegistryError([&] { store.WriteString("FileName", "x"); },
                      "Echec à la définition des données pour 'FileName'");
  ExpectRegistryError([&] { store.WriteBool("Continue", true); },
                      "Echec à la définition des données pour 'Continue'");
  EXPECT_EQ(ReadNativeFile(UserFile()), before);
  EXPECT_EQ(store.ReadString("WadName", ""), "kept");
}

TEST_F(SettingsStoreTest, KeyRemovedWhileOpenRefusesWrites) {
  SettingsStore store = SettingsStore::Open(registry, kPackageSettingsKey);
  ASSERT_TRUE(registry.DeleteKey(RegistryRoot::CurrentUser, kPackageSettingsKey));
  EXPECT_TRUE(store.ReadBool("Continue", true));
  ExpectRegistryError([&] { store.WriteBool("Continue", false); },
                      "Echec à la définition des données pour 'Continue'");
}

TEST_F(SettingsStoreTest, UnwritableSettingsFolderGivesAQuietStoreInMemory) {
  const std::string config = dir.Native("config");
  test::WriteNativeFile(config + "/placeholder", "");
  test::MakeReadOnly(config);
  SettingsStore store = SettingsStore::Open(Registry::AtFolder(config + "/skarvel"), kMainSettingsKey);
  EXPECT_TRUE(store.IsInMemory());
  EXPECT_EQ(store.ReadString("FileName", "...or select a file"), "...or select a file");
  EXPECT_TRUE(store.ReadBool("Continue", true));
  store.WriteString("WadName", "C:\\a.wad");
  store.WriteBool("Continue", false);
  EXPECT_EQ(store.ReadString("wadname", ""), "C:\\a.wad") << "names ignore case here too";
  EXPECT_FALSE(store.ReadBool("CONTINUE", true));
  EXPECT_FALSE(test::NativeExists(config + "/skarvel"));
}

TEST_F(SettingsStoreTest, ReadOnlySettingsFileGivesAStoreInMemoryAndStaysAsItWas) {
  SettingsStore::Open(registry, kMainSettingsKey).WriteString("WadName", "on disk");
  const std::string before = ReadNativeFile(UserFile());
  test::MakeReadOnly(UserFile());
  SettingsStore store = SettingsStore::Open(registry, kMainSettingsKey);
  EXPECT_TRUE(store.IsInMemory());
  store.WriteString("WadName", "in memory");
  EXPECT_EQ(store.ReadString("WadName", ""), "in memory");
  EXPECT_EQ(ReadNativeFile(UserFile()), before);
}

TEST_F(SettingsStoreTest, DamagedSettingsFileIsReportedNotReplaced) {
  const std::string damaged = "REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n\"broken\n";
  test::WriteNativeFile(UserFile(), damaged);
  EXPECT_THROW(SettingsStore::Open(registry, kMainSettingsKey), RegistryError);
  EXPECT_EQ(ReadNativeFile(UserFile()), damaged);
}

}  // namespace
}  // namespace skarvel

#endif  // _WIN32
