#include "support/TreeSnapshot.h"

#include <filesystem>

#include "support/TempDir.h"

namespace skarvel::test {
namespace fs = std::filesystem;

std::map<std::string, std::string> TreeSnapshot(const std::string& nativeFolder) {
  std::map<std::string, std::string> tree;
  std::error_code error;
  if (!fs::is_directory(fs::symlink_status(nativeFolder, error))) return tree;
  for (auto it = fs::recursive_directory_iterator(nativeFolder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), nativeFolder).generic_string();
    if (it->is_symlink()) {
      tree[relative] = "<link:" + fs::read_symlink(it->path()).string() + ">";
    } else if (it->is_directory()) {
      tree[relative] = "<dir>";
    } else {
      tree[relative] = ReadNativeFile(it->path().string());
    }
  }
  return tree;
}

}  // namespace skarvel::test
