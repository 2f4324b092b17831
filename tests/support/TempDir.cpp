#include "support/TempDir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/Encoding.h"

namespace skarvel::test {
namespace fs = std::filesystem;

namespace {
std::string Slashed(const std::string& relative) {
  std::string out = relative;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}
}  // namespace

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "skarvel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  native_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Give write bits back so that read-only files and folders can go.
  for (auto it = fs::recursive_directory_iterator(native_, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(native_, ignored);
}

std::string TempDir::internal() const { return ToInternalPath(native_); }
std::string TempDir::Internal(const std::string& relative) const { return internal() + "\\" + relative; }
std::string TempDir::Native(const std::string& relative) const { return native_ + "/" + Slashed(relative); }

void WriteNativeFile(const std::string& nativePath, const std::string& bytes) {
  fs::path path(nativePath);
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + nativePath);
}

std::string ReadNativeFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + nativePath);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool NativeExists(const std::string& nativePath) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(nativePath, ignored));
}

void MakeReadOnly(const std::string& nativePath) {
  fs::permissions(nativePath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

bool IsReadOnly(const std::string& nativePath) {
  struct stat info {};
  if (stat(nativePath.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + nativePath);
  return (info.st_mode & 0222) == 0;
}

}  // namespace skarvel::test
