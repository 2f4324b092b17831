#include "cli/CliRunner.h"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace skarvel::test {

#ifdef _WIN32
namespace {

// skarvel-cli.exe is built beside the test programs.
std::string ProgramBesideThisOne() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("GetModuleFileNameA failed");
  std::string path(self, length);
  return path.substr(0, path.rfind('\\') + 1) + "skarvel-cli.exe";
}

// One word of a command line as the Windows runtime splits it again: quoted
// when it is empty or holds a blank or a quote, a quote escaped by a "\", and
// the "\"s in front of a quote (or of the closing one) doubled.
std::string QuotedWord(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\n\v\"") == std::string::npos) return word;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

HANDLE InheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
  return file;
}

// The values of the program's two settings keys, name, type and bytes, so that
// a run can be shown to have left them as they were.
std::string SettingsSnapshot() {
  std::string snapshot;
  for (const char* key : {"Software\\Vintrel's Tools\\Skarvel", "Software\\Vintrel's Skarvel"}) {
    snapshot += std::string("[") + key + "]";
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) continue;
    for (DWORD index = 0;; ++index) {
      char name[16384];
      DWORD nameLength = sizeof name;
      BYTE data[65536];
      DWORD dataLength = sizeof data;
      DWORD type = 0;
      if (RegEnumValueA(handle, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
      snapshot += std::string(name, nameLength) + "=" + std::to_string(type) + ":" +
                  std::string(reinterpret_cast<const char*>(data), dataLength) + "\n";
    }
    RegCloseKey(handle);
  }
  return snapshot;
}

}  // namespace

CliFixture::CliFixture() : config_(SettingsSnapshot()) {}

CliResult CliFixture::Run(const std::vector<std::string>& args) const {
  const std::string outPath = dir.Native("stdout.txt");
  const std::string errPath = dir.Native("stderr.txt");
  const std::string program = ProgramBesideThisOne();
  std::string commandLine = QuotedWord(program);
  for (const std::string& arg : args) commandLine += " " + QuotedWord(arg);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = InheritableFile(outPath);
  startup.hStdError = InheritableFile(errPath);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      dir.native().c_str(), &startup, &process);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) throw std::runtime_error("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  CliResult result;
  result.exitCode = static_cast<int>(exitCode);
  result.out = ReadNativeFile(outPath);
  result.err = ReadNativeFile(errPath);
  DeleteFileA(outPath.c_str());
  DeleteFileA(errPath.c_str());
  return result;
}

bool CliFixture::ConfigUntouched() const { return SettingsSnapshot() == config_; }

bool GameFolderRecordedOnThisMachine() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Infogrames\\Grand Prix 4\\1.00\\Install Dir", 0,
                    KEY_READ | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

#else

CliFixture::CliFixture() : config_(dir.Native("config")) { std::filesystem::create_directories(config_); }

CliResult CliFixture::Run(const std::vector<std::string>& args) const {
  const std::string outPath = dir.Native("stdout.txt");
  const std::string errPath = dir.Native("stderr.txt");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (!freopen(outPath.c_str(), "wb", stdout) || !freopen(errPath.c_str(), "wb", stderr)) _exit(126);
    if (chdir(dir.native().c_str()) != 0) _exit(126);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    setenv("XDG_DATA_HOME", (dir.native() + "/data").c_str(), 1);
    std::vector<char*> argv;
    std::string program = SKARVEL_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) throw std::runtime_error("waitpid failed");
  CliResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadNativeFile(outPath);
  result.err = ReadNativeFile(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

bool CliFixture::ConfigUntouched() const { return std::filesystem::is_empty(config_); }

bool GameFolderRecordedOnThisMachine() { return false; }

#endif

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace skarvel::test
