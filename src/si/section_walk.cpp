#include "si/section_walk.h"

#include "common/crc32_mpeg.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

// Fewer bytes than this after a section cannot hold another one worth parsing.
constexpr size_t kMinFollowing = 21;

}  // namespace

void ForEachSection(std::span<const uint8_t> data,
                    const std::function<void(const Section& section)>& visit, int& crcErrors) {
  size_t at = 0;
  while (at < data.size()) {
    while (at < data.size() && data[at] == ts::kStuffingByte) ++at;
    const std::span<const uint8_t> rest = data.subspan(at);
    const size_t size = SectionSizeAt(rest);
    if (size <= ts::kSectionHeaderSize || size > rest.size()) return;
    const std::span<const uint8_t> bytes = rest.first(size);
    if (bytes[0] != ts::table::kStuffing) {
      // Every section is checked here, the short form too; the view has checked the long form.
      const std::optional<Section> section = Section::Parse(bytes);
      const bool crcOk = section && section->hasCrc ? section->crcOk : Crc32Mpeg(bytes) == 0;
      if (!crcOk) {
        ++crcErrors;
        return;
      }
      if (bytes[0] == ts::table::kPat) return;
      if (section) visit(*section);
    }
    at += size;
    if (data.size() - at < kMinFollowing) return;
  }
}

void WalkSections(std::span<const uint8_t> data,
                  const std::function<void(std::span<const uint8_t> section)>& parse,
                  int& crcErrors) {
  ForEachSection(
      data, [&parse](const Section& section) { parse(section.bytes); }, crcErrors);
}

}  // namespace pelorus
