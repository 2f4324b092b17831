#pragma once
// A fresh folder below the system's temporary folder, removed with everything in
// it when the test ends.
#include <string>

namespace skarvel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder as the OS names it ("/tmp/skarvel-test-XXXXXX", on Windows
  // "C:\...\Temp\skarvel-test-N").
  const std::string& native() const { return native_; }
  // The folder in the program's internal form ("\tmp\skarvel-test-XXXXXX").
  std::string internal() const;
  // An internal path below the folder; relative uses "\" separators.
  std::string Internal(const std::string& relative) const;
  // A native path below the folder; relative uses "\" separators.
  std::string Native(const std::string& relative) const;

 private:
  std::string native_;
};

// The code of an open whose folder is missing: POSIX knows only "no such file"
// (2), Windows says "path not found" (3).
#ifdef _WIN32
inline constexpr int kMissingFolderCode = 3;
#else
inline constexpr int kMissingFolderCode = 2;
#endif

// Whole-file helpers on native paths, for setting up and checking tests.
void WriteNativeFile(const std::string& nativePath, const std::string& bytes);  // creates folders
std::string ReadNativeFile(const std::string& nativePath);
bool NativeExists(const std::string& nativePath);
void MakeReadOnly(const std::string& nativePath);
bool IsReadOnly(const std::string& nativePath);

}  // namespace skarvel::test
