#include "support/ScratchRegistry.h"

namespace skarvel::test {

#ifndef _WIN32
Registry ScratchRegistry(const TempDir& dir) { return Registry::AtFolder(dir.Native("registry")); }
#endif

}  // namespace skarvel::test
