// The registry backend on Windows, through the ANSI functions: what the
// program reads of each kind of value, and that a key it may not write is as
// good as missing.
#include <gtest/gtest.h>
#include <windows.h>
// <sddl.h> needs <windows.h> before it.
#include <sddl.h>

#include <string>

#include "host/Errors.h"
#include "host/Registry.h"
#include "win32/Win32TestSupport.h"

namespace skarvel {
namespace {

constexpr char kKey[] = "Software\\Skarvel registry test";

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(raw);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
  }
  void SetRaw(const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(raw, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  RegistryKey Open() {
    std::optional<RegistryKey> key = registry.Open(RegistryRoot::CurrentUser, kKey, false);
    if (!key) throw std::runtime_error("the test key does not open");
    return *key;
  }
  Registry registry = Registry::Default();
  HKEY raw = nullptr;
};

TEST_F(Win32RegistryTest, AMissingKeyOrValueIsNotThere) {
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, std::string(kKey) + "\\missing", false));
  EXPECT_FALSE(Open().Get("missing"));
  EXPECT_EQ(Open().ReadString("missing", "default"), "default");
}

// Each kind of value as the program reads it: strings up to their first NUL,
// an expandable string as it is stored, anything else refused by name.
struct ValueCase {
  const char* what;
  DWORD type;
  std::string stored;
  const char* text;  // nullptr: refused
};

class Win32RegistryValueTest : public Win32RegistryTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(Win32RegistryValueTest, ReadsAsTheProgramReadsIt) {
  const ValueCase& c = GetParam();
  SetRaw("Value", c.type, c.stored);
  const std::optional<RegistryValue> value = Open().Get("Value");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, c.type);
  // The bytes as stored; reading through the ANSI functions, Wine gives a string
  // that was stored without its closing NUL one, Windows does not.
  const auto withoutClosingNuls = [](std::string bytes) { return bytes.erase(bytes.find_last_not_of('\0') + 1); };
  EXPECT_EQ(withoutClosingNuls(value->data), withoutClosingNuls(c.stored));
  if (c.text != nullptr) {
    EXPECT_EQ(Open().ReadString("Value", ""), c.text);
  } else {
    try {
      Open().ReadString("Value", "");
      FAIL() << "read as a string";
    } catch (const RegistryError& error) {
      EXPECT_EQ(std::string(error.what()), "Type de donn\xE9" "es incorrect pour 'Value'");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Types, Win32RegistryValueTest,
    ::testing::Values(
        ValueCase{"String", REG_SZ, std::string("C:\\GP4\0", 7), "C:\\GP4"},
        ValueCase{"CodePageString", REG_SZ, std::string("\xC9" "curie \x80\0", 10), "\xC9" "curie \x80"},
        ValueCase{"ExpandableUnexpanded", REG_EXPAND_SZ, std::string("%SystemRoot%\\GP4\0", 17),
                  "%SystemRoot%\\GP4"},
        ValueCase{"WithoutClosingNul", REG_SZ, "C:\\Games", "C:\\Games"},
        ValueCase{"EmbeddedNul", REG_SZ, std::string("a\0b\0", 4), "a"},
        ValueCase{"EmptyNumberReadsEmpty", REG_DWORD, "", ""},
        ValueCase{"Number", REG_DWORD, std::string("\x01\0\0\0", 4), nullptr},
        ValueCase{"Binary", REG_BINARY, "bytes", nullptr}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Win32RegistryTest, TextsGoThroughTheSystemsCodePage) {
  Open().WriteString("Ann\xE9" "e", "\xC9" "curie");
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegQueryValueExW(raw, test::WideName("Ann\xE9" "e").c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), test::WideName("\xC9" "curie"));
}

// A key whose security lets the user read but not write: full access is
// refused, so the program takes it for a key it cannot use, opened or created.
TEST_F(Win32RegistryTest, AKeyWithoutFullAccessDoesNotOpen) {
  SetRaw("Directory", REG_SZ, std::string("C:\\GP4\0", 7));
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                   nullptr));
  ASSERT_EQ(RegSetKeySecurity(raw, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
  LocalFree(readOnly);
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, kKey, false));
  EXPECT_FALSE(registry.Open(RegistryRoot::CurrentUser, kKey, true));
  HKEY reader = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &reader), ERROR_SUCCESS) << "readable all the same";
  RegCloseKey(reader);

  // Its owner may give the key its access back, so that it can go.
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr));
  RegSetKeySecurity(raw, DACL_SECURITY_INFORMATION, open);
  LocalFree(open);
}

}  // namespace
}  // namespace skarvel
