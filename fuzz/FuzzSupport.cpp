#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "archive/ContentsList.h"
#include "host/Encoding.h"
#include "host/Errors.h"

namespace skarvel::fuzz {
namespace fs = std::filesystem;

namespace {
void RemoveScratchAtExit() {
  std::error_code ignored;
  fs::remove_all(Scratch::Get().native(), ignored);
}
}  // namespace

// Never destroyed: the folder is removed at exit, after static objects may be gone.
Scratch& Scratch::Get() {
  static Scratch* scratch = new Scratch;
  return *scratch;
}

Scratch::Scratch() {
  std::string pattern = (fs::temp_directory_path() / "skarvel-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  std::atexit(RemoveScratchAtExit);
}

std::string Scratch::Internal(const std::string& relative) const { return ToInternalPath(Native(relative)); }

void Scratch::Write(const std::string& relative, const std::uint8_t* data, std::size_t size) const {
  const fs::path path(Native(relative));
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) Fail("cannot write " + path.string());
}

std::string Scratch::Read(const std::string& relative) const {
  std::ifstream in(Native(relative), std::ios::binary);
  if (!in) Fail("cannot read " + Native(relative));
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void Scratch::Remove(const std::string& relative) const {
  std::error_code ignored;
  // Give write bits back first, in case an operation left a file read-only.
  for (auto it = fs::recursive_directory_iterator(Native(relative), ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored)) {
    if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(Native(relative), ignored);
}

std::vector<std::string> Scratch::Walk() const {
  std::vector<std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    out.push_back(fs::relative(entry.path(), root_).generic_string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz oracle failed: %s\n", what.c_str());
  // abort() skips the exit handlers; the input that failed is kept by libFuzzer.
  RemoveScratchAtExit();
  std::abort();
}

void FuzzWorkbench::SetRows(std::vector<std::string> newRows) {
  rows = std::move(newRows);
  rowsSet = true;
  selected = -1;
}

std::string FuzzWorkbench::SelectedRowField(int k) const {
  if (selected < 0 || selected >= static_cast<int>(rows.size())) throw ListIndexError(selected);
  return FieldOf(rows[static_cast<std::size_t>(selected)], k);
}

}  // namespace skarvel::fuzz
