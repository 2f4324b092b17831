#include "e2e/win32/Process.h"

#include <stdexcept>

namespace skarvel::test {

std::string ProgramBeside(const std::string& name) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string path(self, length);
  return path.substr(0, path.rfind('\\') + 1) + name;
}

Process::Process(const std::string& program, const std::vector<std::string>& words, const std::string& folder) {
  // The words of these tests hold no quote and end in no "\", so both
  // programs' rules read them alike.
  std::string commandLine = "\"" + program + "\"";
  for (const std::string& word : words) commandLine += " \"" + word + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info_)) {
    throw std::runtime_error("cannot start " + program + ": error " + std::to_string(GetLastError()));
  }
  // The windows exist once the program waits for its first input.
  WaitForInputIdle(info_.hProcess, 10000);
}

Process::~Process() {
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

std::optional<DWORD> Process::Wait(std::chrono::milliseconds timeout) {
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 99);
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

int RunCli(const std::vector<std::string>& words, const std::string& folder) {
  Process cli(ProgramBeside("skarvel-cli.exe"), words, folder);
  const std::optional<DWORD> code = cli.Wait(std::chrono::seconds(60));
  return code ? static_cast<int>(*code) : -1;
}

}  // namespace skarvel::test
