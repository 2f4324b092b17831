#pragma once
// Which entry names may become files below a target folder.
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

// Why name cannot be written below a target folder (it would escape it, or the
// platform cannot hold one of its components), or nullopt when it is safe.
std::optional<std::string> UnsafeEntryNameReason(std::string_view name);

}  // namespace skarvel
