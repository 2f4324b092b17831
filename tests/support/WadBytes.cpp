#include "support/WadBytes.h"

namespace skarvel::test {

std::string Int32Bytes(std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  return out;
}

std::string RawRecord(const std::string& nameField, std::int32_t offset, std::int32_t size) {
  std::string name = nameField.substr(0, 128);
  name.resize(128, '\0');
  return name + Int32Bytes(offset) + Int32Bytes(size);
}

std::string PackedWad(const std::vector<TestEntry>& entries) {
  auto count = static_cast<std::int32_t>(entries.size());
  std::string directory = Int32Bytes(count);
  std::string data;
  std::int32_t offset = 4 + 136 * count;
  for (const TestEntry& entry : entries) {
    directory += RawRecord(entry.name, offset, static_cast<std::int32_t>(entry.data.size()));
    data += entry.data;
    offset += static_cast<std::int32_t>(entry.data.size());
  }
  return directory + data;
}

}  // namespace skarvel::test
