#include "support/TreeSnapshot.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace skarvel::test {
namespace fs = std::filesystem;

namespace {

// The relative path as the program names files: on Windows in the system's
// code page, which std::filesystem's narrow strings are not.
std::string NativeRelative(const fs::path& relative) {
#ifdef _WIN32
  const std::wstring wide = relative.generic_wstring();
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr, nullptr);
  return out;
#else
  return relative.generic_string();
#endif
}

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

std::map<std::string, std::string> TreeSnapshot(const std::string& nativeFolder) {
  std::map<std::string, std::string> tree;
  std::error_code error;
  if (!fs::is_directory(fs::symlink_status(nativeFolder, error))) return tree;
  for (auto it = fs::recursive_directory_iterator(nativeFolder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = NativeRelative(fs::relative(it->path(), nativeFolder));
    if (it->is_symlink()) {
      tree[relative] = "<link:" + fs::read_symlink(it->path()).string() + ">";
    } else if (it->is_directory()) {
      tree[relative] = "<dir>";
    } else {
      tree[relative] = Content(it->path());
    }
  }
  return tree;
}

}  // namespace skarvel::test
