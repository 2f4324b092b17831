#pragma once
// Everything below a folder, to compare a tree before and after an operation.
#include <map>
#include <string>

namespace skarvel::test {

// Relative native path ("/"-separated, names in the code page the system gives
// the program) to content: a file's bytes, "<dir>" for a
// folder, "<link:TARGET>" for a link (never followed). Empty for a missing folder.
std::map<std::string, std::string> TreeSnapshot(const std::string& nativeFolder);

}  // namespace skarvel::test
