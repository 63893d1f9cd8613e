// Two settings files from any bytes (split where the first byte says): compares them, finds the
// duplicates of each, and records the change from one to the other as an undo step, which must
// take the image back and forth byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "channels/duplicates.h"
#include "channels/list_diff.h"
#include "channels/settings_file.h"
#include "common/image_delta.h"

namespace {

bool Same(const pelorus::SettingsImage& a, const pelorus::SettingsImage& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return a->size() == b->size() &&
         (a->empty() || std::memcmp(a->data(), b->data(), a->size() * sizeof((*a)[0])) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  if (size < 1) return 0;
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  const size_t split = std::min(bytes.size(), static_cast<size_t>(data[0]) * 16);
  std::vector<ChannelRecord> older = DecodeSettingsBytes(bytes.first(split));
  std::vector<ChannelRecord> newer = DecodeSettingsBytes(bytes.subspan(split));
  const ListDiff diff = CompareLists(older, newer);
  if (diff.added.size() > newer.size() || diff.removed.size() > older.size()) std::abort();
  if (older.size() - diff.removed.size() != newer.size() - diff.added.size()) std::abort();
  DescribeDiff(diff, older, newer);
  for (const DuplicateRow& row : FindDuplicates(newer)) {
    if (row.original >= row.row) std::abort();
  }

  // The undo step between the two images, and between each and "no list".
  const SettingsImage a = older.empty() && data[0] % 2 ? SettingsImage{} : SettingsImage{older};
  const SettingsImage b = SettingsImage{newer};
  const ImageDelta delta = ImageDelta::Between(a, b);
  SettingsImage image = b;
  if (!delta.ApplyBackward(image) || !Same(image, a)) std::abort();
  if (!delta.ApplyForward(image) || !Same(image, b)) std::abort();
  return 0;
}
