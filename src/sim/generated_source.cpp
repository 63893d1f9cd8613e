// The generated multiplex as a packet source: its packets fall due at the configured rate.
#include "multiplex_layout.h"
#include "packet_source.h"

namespace sim {
namespace {

using Wide = unsigned __int128;
constexpr uint64_t kNanosecondsPerSecond = 1000000000;

uint64_t PacketsBy(int64_t elapsedNs, uint64_t rate) {
  return static_cast<uint64_t>(Wide{static_cast<uint64_t>(elapsedNs)} * rate /
                               (uint64_t{kPacketSize} * 8 * kNanosecondsPerSecond));
}

class GeneratedSource : public PacketSource {
 public:
  GeneratedSource(const StreamAssets& assets, int transponder, uint64_t rate, int64_t clockStart,
                  int64_t startNs, TsFault fault)
      : transponder_(transponder),
        rate_(rate),
        multiplex_(assets, transponder, rate, clockStart, PacketsBy(startNs, rate), fault) {}

  void Advance(int64_t elapsedNs, const Multiplex::Sink& sink, bool withNulls) override {
    multiplex_.Generate(PacketsBy(elapsedNs, rate_), sink, withNulls);
  }
  ServicePids CurrentService() const override { return ServiceAt(transponder_, 0).pids; }

 private:
  int transponder_;
  uint64_t rate_;
  Multiplex multiplex_;
};

}  // namespace

std::unique_ptr<PacketSource> MakeGeneratedSource(const StreamAssets& assets, int transponder,
                                                  uint64_t rate, int64_t clockStart,
                                                  int64_t startNs, TsFault fault) {
  return std::make_unique<GeneratedSource>(assets, transponder, rate, clockStart, startNs, fault);
}

}  // namespace sim
