#pragma once
// A registry that no other case sees, for tests whose table runs several cases
// in one test. On POSIX it is kept in the case's temporary folder; on Windows
// it is the test program's scratch keys (support/win32/RegistrySandbox.cpp),
// emptied.
#include "host/Registry.h"
#include "support/TempDir.h"

namespace skarvel::test {

Registry ScratchRegistry(const TempDir& dir);

}  // namespace skarvel::test
