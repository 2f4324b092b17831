#pragma once
// The verify report as text for a reader at a terminal (UTF-8 on POSIX).
#include <string>

#include "archive/WadVerify.h"

namespace skarvel::cli {

// archive is the path as the user gave it (native form).
std::string VerifyText(const std::string& archive, const WadVerifyReport& report);

}  // namespace skarvel::cli
