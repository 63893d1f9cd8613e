// The EIT browser's parsers: byte 0 picks what the rest is fed to — an SDT buffer followed by
// EIT buffers (split at byte 1), or a TDT section to the clock — then the guide's texts and
// its XMLTV document are built from whatever was parsed. The walk checks CRCs, so the seeds
// carry valid ones; the parsers are also fed single sections without the walk.
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "si/guide.h"
#include "si/guide_text.h"
#include "si/system_clock.h"
#include "si/xmltv.h"

namespace {

class FakeClock : public pelorus::SystemClock {
 public:
  std::time_t NowUtc() const override { return 1700000000; }
  bool SetUtc(std::time_t, std::string&) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::span<const uint8_t> rest(data + 2, size - 2);
  const size_t split = rest.size() * data[1] / 255;
  pelorus::Guide guide;
  switch (data[0] % 3) {
    case 0:
      guide.ParseSdtSections(rest.first(split));
      guide.ParseEitSections(rest.subspan(split), 1700000000);
      break;
    case 1:
      guide.ParseSdtSection(rest.first(split));
      guide.ParseEitSection(rest.subspan(split), 1700000000);
      guide.ParseEitSection(rest.subspan(split), 0);
      break;
    default: {
      FakeClock clock;
      pelorus::TdtClockSync sync;
      std::string error;
      (void)sync.OnSection(rest, clock, error);
      (void)pelorus::DecodeDvbText(rest);
    }
  }
  guide.Read([](const std::map<uint16_t, pelorus::ServiceEntry>& services) {
    for (const auto& [id, service] : services) (void)pelorus::ServiceEventsText(service);
    (void)pelorus::GuideFileText(services);
    (void)pelorus::GuideXmltv(services);
  });
  return 0;
}
