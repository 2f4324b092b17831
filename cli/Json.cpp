#include "cli/Json.h"

#include <cstdio>

#include "host/Encoding.h"

namespace skarvel::cli {

namespace {

// The length of the valid UTF-8 sequence at the start of text, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

std::string Name(const std::string& internal) { return JsonString(Cp1252ToUtf8(internal)); }

std::string Spot(const WadRecordSpot& spot) {
  return "{\"index\": " + std::to_string(spot.index) + ", \"name\": " + Name(spot.name) +
         ", \"offset\": " + std::to_string(spot.offset) + ", \"size\": " + std::to_string(spot.size) + "}";
}

template <typename T, typename Render>
std::string Array(const std::vector<T>& items, Render render) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ", ";
    out += render(items[i]);
  }
  return out + "]";
}

std::string Bool(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(text.substr(i));
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out + "\"";
}

std::string ListJson(const std::string& archive, const std::vector<ListedEntry>& entries) {
  return "{\"archive\": " + JsonString(archive) + ", \"count\": " + std::to_string(entries.size()) +
         ", \"entries\": " + Array(entries, [](const ListedEntry& e) {
           return "{\"index\": " + std::to_string(e.index) + ", \"name\": " + Name(e.name) +
                  ", \"offset\": " + std::to_string(e.offset) + ", \"size\": " + std::to_string(e.size) + "}";
         }) +
         "}\n";
}

std::string VerifyJson(const std::string& archive, const WadVerifyReport& r) {
  std::string out = "{\"archive\": " + JsonString(archive);
  out += ", \"readable\": " + Bool(r.Readable());
  out += ", \"fileSize\": " + std::to_string(r.fileSize);
  out += ", \"headerComplete\": " + Bool(r.headerComplete);
  out += ", \"count\": " + std::to_string(r.count);
  out += ", \"directoryEnd\": " + std::to_string(r.directoryEnd);
  out += ", \"directoryFits\": " + Bool(r.directoryFits);
  out += ", \"recordsExamined\": " + std::to_string(r.recordsExamined);
  out += ", \"packed\": " + Bool(r.packed);
  out += ", \"packedInDirectoryOrder\": " + Bool(r.packedInDirectoryOrder);
  out += ", \"trailingBytes\": " + std::to_string(r.trailingBytes);
  out += ", \"outsideFile\": " + Array(r.outsideFile, Spot);
  out += ", \"intoDirectory\": " + Array(r.intoDirectory, Spot);
  out += ", \"overlaps\": " + Array(r.overlaps, [](const WadOverlap& o) {
    return "{\"entry\": " + Spot(o.entry) + ", \"other\": " + Spot(o.other) + "}";
  });
  out += ", \"duplicates\": " + Array(r.duplicates, [](const WadDuplicate& d) {
    return "{\"entry\": " + Spot(d.entry) + ", \"first\": " + std::to_string(d.first) + "}";
  });
  out += ", \"unsafeNames\": " + Array(r.unsafeNames, [](const WadUnsafeName& u) {
    return "{\"entry\": " + Spot(u.entry) + ", \"reason\": " + Name(u.reason) + "}";
  });
  out += ", \"gaps\": " + Array(r.gaps, [](const WadByteRange& g) {
    return "{\"start\": " + std::to_string(g.start) + ", \"length\": " + std::to_string(g.length) + "}";
  });
  return out + "}\n";
}

}  // namespace skarvel::cli
