#pragma once
// Starting the built programs as a player's Explorer or a package does, and
// waiting for their end.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace skarvel::test {

// A program built beside this one ("Skarvel.exe", "skarvel-cli.exe").
std::string ProgramBeside(const std::string& name);

class Process {
 public:
  // Starts program with words, each quoted, in the folder given.
  Process(const std::string& program, const std::vector<std::string>& words, const std::string& folder);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD Id() const { return info_.dwProcessId; }
  // The exit code once the process has ended, or nullopt when it has not
  // within the time (it is then ended).
  std::optional<DWORD> Wait(std::chrono::milliseconds timeout);

 private:
  PROCESS_INFORMATION info_{};
};

// Runs skarvel-cli.exe to its end; its exit code.
int RunCli(const std::vector<std::string>& words, const std::string& folder);

}  // namespace skarvel::test
