// Every Windows test program runs with HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE turned to scratch keys of its own, so that a test which
// writes the game's key or the program's settings never touches the machine's
// (run on a real Windows, it would otherwise rewrite where the game lives).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace skarvel::test {
namespace {

class RegistrySandbox : public ::testing::Environment {
 public:
  void SetUp() override {
    scratch_ = "Software\\Skarvel tests\\" + std::to_string(GetCurrentProcessId());
    Override(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", machine_);
    Override(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", user_);
  }

  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(user_);
    RegCloseKey(machine_);
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
  }

 private:
  void Override(HKEY root, const char* name, HKEY& key) {
    const std::string path = scratch_ + "\\" + name;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(root, key), ERROR_SUCCESS);
  }

  std::string scratch_;
  HKEY user_ = nullptr;
  HKEY machine_ = nullptr;
};

const auto* const kSandbox = ::testing::AddGlobalTestEnvironment(new RegistrySandbox);

}  // namespace
}  // namespace skarvel::test
