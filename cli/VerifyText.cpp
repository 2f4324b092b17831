#include "cli/VerifyText.h"

#include "host/Encoding.h"

namespace skarvel::cli {

namespace {

std::string Spot(const WadRecordSpot& spot) {
  return "#" + std::to_string(spot.index) + " \"" + ToDisplayText(spot.name) + "\" (offset " +
         std::to_string(spot.offset) + ", size " + std::to_string(spot.size) + ")";
}

template <typename T, typename Render>
void Section(std::string& out, const std::string& title, const std::vector<T>& items, Render render) {
  out += title + ": " + (items.empty() ? "none" : std::to_string(items.size())) + "\n";
  for (const T& item : items) out += "  " + render(item) + "\n";
}

std::string Directory(const WadVerifyReport& r) {
  if (!r.headerComplete) return "the file is too short to hold an entry count";
  if (r.count < 0) return "a negative entry count cannot size a directory";
  if (r.directoryFits) return "fits the file (ends at byte " + std::to_string(r.directoryEnd) + ")";
  return "does not fit: it needs " + std::to_string(r.directoryEnd) + " bytes, the file holds " +
         std::to_string(r.recordsExamined) + " whole records";
}

std::string Packing(const WadVerifyReport& r) {
  if (r.packedInDirectoryOrder) return "yes, in directory order";
  if (r.packed) return "yes, not in directory order";
  return "no";
}

}  // namespace

std::string VerifyText(const std::string& archive, const WadVerifyReport& r) {
  std::string out = "archive: " + archive + "\n";
  out += "file size: " + std::to_string(r.fileSize) + " bytes\n";
  if (r.headerComplete) out += "entry count: " + std::to_string(r.count) + "\n";
  out += "directory: " + Directory(r) + "\n";
  Section(out, "entries outside the file", r.outsideFile, Spot);
  Section(out, "entries whose data reaches into the directory", r.intoDirectory, Spot);
  Section(out, "overlapping entries", r.overlaps,
          [](const WadOverlap& o) { return Spot(o.entry) + " shares bytes with " + Spot(o.other); });
  Section(out, "duplicate names", r.duplicates, [](const WadDuplicate& d) {
    return Spot(d.entry) + " has the name of #" + std::to_string(d.first);
  });
  Section(out, "names extraction would refuse", r.unsafeNames,
          [](const WadUnsafeName& u) { return Spot(u.entry) + ": " + ToDisplayText(u.reason); });
  Section(out, "gaps", r.gaps, [](const WadByteRange& g) {
    return std::to_string(g.length) + " bytes at offset " + std::to_string(g.start);
  });
  out += "trailing bytes: " + std::to_string(r.trailingBytes) + "\n";
  out += "packed: " + Packing(r) + "\n";
  out += std::string("result: ") + (r.Readable() ? "every entry can be read" : "NOT every entry can be read") + "\n";
  return out;
}

}  // namespace skarvel::cli
