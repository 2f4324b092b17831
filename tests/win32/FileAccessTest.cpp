// The file access rules on Windows: the program's own read-only check (Wine run
// as root would open the file), the sharing other programs get and need, and
// the system's error codes with the table's texts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/Errors.h"
#include "host/FileSystem.h"
#include "support/IoErrorCode.h"
#include "support/TempDir.h"
#include "win32/Win32TestSupport.h"

namespace skarvel {
namespace {

using test::HeldFile;
using test::ReadNativeFile;
using test::WriteNativeFile;

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

using test::IoErrorCodeOf;

class Win32FileAccessTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteNativeFile(path, "0123456789"); }
  test::TempDir dir;
  std::string path = dir.Native("data.bin");
};

TEST_F(Win32FileAccessTest, AReadOnlyFileIsRefusedByTheProgramWhateverTheSystemAllows) {
  test::MakeReadOnly(path);
  // Recorded, not asserted: Windows refuses by itself, Wine run as root does not,
  // and the program must refuse in both.
  RecordProperty("systemRefusesReadOnly", test::SystemRefusesWritingReadOnly(dir.native()) ? "yes" : "no");
  EXPECT_EQ(IoErrorCodeOf([&] { File::OpenExisting(path); }), 5);
  EXPECT_EQ(IoErrorCodeOf([&] { File::Create(path); }), 5);
  EXPECT_EQ(IoErrorCodeOf([&] { ReplacementFile replacement(path); }), 5);
  EXPECT_EQ(ReadNativeFile(path), "0123456789");
  EXPECT_EQ(IoError::TextFor(5), "Acc\xE8s au fichier refus\xE9");
}

// What another program may do with a file the program holds, and what the
// program can do with a file another program holds.
struct SharingCase {
  const char* what;
  DWORD otherShare;  // the other program's sharing, while it holds the file for reading and writing
  int openCode;      // File::OpenExisting meanwhile
};

class Win32SharingTest : public Win32FileAccessTest, public ::testing::WithParamInterface<SharingCase> {};

TEST_P(Win32SharingTest, OpensAsTheOtherProgramsSharingAllows) {
  {
    HeldFile other(path, kReadWrite, GetParam().otherShare);
    ASSERT_TRUE(other.opened()) << other.error();
    EXPECT_EQ(IoErrorCodeOf([&] { File::OpenExisting(path).Close(); }), GetParam().openCode);
  }
  EXPECT_EQ(ReadNativeFile(path), "0123456789");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Win32SharingTest,
    ::testing::Values(SharingCase{"ReadAndWrite", FILE_SHARE_READ | FILE_SHARE_WRITE, 0},
                      SharingCase{"ReadOnly", FILE_SHARE_READ, ERROR_SHARING_VIOLATION},
                      SharingCase{"Nothing", 0, ERROR_SHARING_VIOLATION}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Win32FileAccessTest, OthersMayReadAndWriteWhileTheProgramHoldsAFile) {
  File held = File::OpenExisting(path);
  HeldFile reader(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  HeldFile writer(path, kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE);
  HeldFile alone(path, GENERIC_READ, FILE_SHARE_READ);  // would need the program not to write
  EXPECT_TRUE(reader.opened()) << reader.error();
  EXPECT_TRUE(writer.opened()) << writer.error();
  EXPECT_FALSE(alone.opened());
  EXPECT_EQ(alone.error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(Win32FileAccessTest, ExactCountsAndPositionsPastTheEnd) {
  File file = File::OpenExisting(path);
  char buffer[8] = {};
  file.Seek(20);  // past the end is a position like any other
  EXPECT_EQ(IoErrorCodeOf([&] { file.Read(buffer, 1); }), 100);
  file.Write("AB", 2);
  EXPECT_EQ(file.Size(), 22);
  file.Seek(20);
  EXPECT_EQ(IoErrorCodeOf([&] { file.Read(buffer, 3); }), 100) << "two bytes left where three were asked";
  EXPECT_EQ(IoErrorCodeOf([&] { file.Seek(-1); }), ERROR_NEGATIVE_SEEK);
  file.Close();
  EXPECT_EQ(ReadNativeFile(path), std::string("0123456789") + std::string(10, '\0') + "AB");
  EXPECT_EQ(IoError::TextFor(100), "Lecture au-del\xE0 de la fin de fichier");
}

// The system's own codes reach the user with the table's texts.
struct CodeCase {
  const char* what;
  const char* relative;
  int code;
  const char* text;
};

class Win32ErrorCodeTest : public Win32FileAccessTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(Win32ErrorCodeTest, OpeningGivesTheSystemsCodeAndItsText) {
  CreateDirectoryA(dir.Native("folder").c_str(), nullptr);
  try {
    File::OpenExisting(dir.Native(GetParam().relative));
    FAIL() << "opened";
  } catch (const IoError& error) {
    EXPECT_EQ(error.code(), GetParam().code);
    EXPECT_EQ(std::string(error.what()), GetParam().text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Win32ErrorCodeTest,
    ::testing::Values(CodeCase{"MissingFile", "none.bin", 2, "Fichier introuvable"},
                      CodeCase{"MissingFolder", "none\\x.bin", 3, "Nom de fichier incorrect"},
                      CodeCase{"Folder", "folder", 5, "Acc\xE8s au fichier refus\xE9"},
                      CodeCase{"InvalidName", "a?b", ERROR_INVALID_NAME, "Erreur E/S 123"}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace skarvel
