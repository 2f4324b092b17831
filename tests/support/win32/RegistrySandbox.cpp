// Every Windows test runs with HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE turned
// to fresh scratch keys of its own, as a POSIX test keeps its registry files in
// its temporary folder: no test sees another's values, and a test that writes
// the game's key or the program's settings never touches the machine's (run on
// a real Windows, it would otherwise rewrite where the game lives).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/ScratchRegistry.h"

namespace skarvel::test {
namespace {

class RegistrySandbox : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    scratch_ = "Software\\Skarvel tests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++tests_);
    Override(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", machine_);
    Override(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", user_);
  }

  // Empties both scratch keys, for a test whose cases each need a registry of
  // their own.
  void Empty() const {
    for (HKEY key : {user_, machine_}) {
      if (key == nullptr || RegDeleteTreeA(key, nullptr) != ERROR_SUCCESS) ADD_FAILURE() << "the scratch registry could not be emptied";
    }
  }

  void OnTestEnd(const ::testing::TestInfo&) override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(user_);
    RegCloseKey(machine_);
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Skarvel tests");  // only once it is empty
    user_ = machine_ = nullptr;
  }

 private:
  void Override(HKEY root, const char* name, HKEY& key) {
    const std::string path = scratch_ + "\\" + name;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS ||
        RegOverridePredefKey(root, key) != ERROR_SUCCESS) {
      ADD_FAILURE() << "the registry could not be turned to " << path;
    }
  }

  std::string scratch_;
  int tests_ = 0;
  HKEY user_ = nullptr;
  HKEY machine_ = nullptr;
};

RegistrySandbox* sandbox = nullptr;

// Appended before main runs the tests, so that it sees every test start.
const bool kSandboxed = [] {
  sandbox = new RegistrySandbox;
  ::testing::UnitTest::GetInstance()->listeners().Append(sandbox);
  return true;
}();

}  // namespace

// Only a program that links the sandbox has this: without it an emptying would
// reach the machine's own keys, and the program does not link.
Registry ScratchRegistry(const TempDir&) {
  sandbox->Empty();
  return Registry::Default();
}
}  // namespace skarvel::test
