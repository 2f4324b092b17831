#include "cli/CliRunner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace skarvel::test {

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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace skarvel::test
