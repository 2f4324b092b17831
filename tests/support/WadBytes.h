#pragma once
// Archives made byte by byte, so tests do not depend on the writer they test.
#include <cstdint>
#include <string>
#include <vector>

namespace skarvel::test {

struct TestEntry {
  std::string name;
  std::string data;
};

// A packed archive: directory, then the data in entry order.
std::string PackedWad(const std::vector<TestEntry>& entries);

// One raw directory record: a name field (padded or cut to 128 bytes), offset, size.
std::string RawRecord(const std::string& nameField, std::int32_t offset, std::int32_t size);
// A little-endian signed 32-bit value.
std::string Int32Bytes(std::int32_t value);

}  // namespace skarvel::test
