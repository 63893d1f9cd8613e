// The recorder's packet walk: slot reads from the receiver go through the entry-point rules
// into a small ring, out of it through the continuity check, with PAT and PMT in between. Byte 0
// picks the plan (where the PCR travels, whether to wait for it); the rest is split into reads
// of one slot after another. The ring must never hold more than it can, nor hand out part packets,
// and a read that holds another PID than its slot's is never recorded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "streams/continuity.h"
#include "streams/psi_templates.h"
#include "streams/record_ring.h"
#include "streams/recorder_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 200000) return 0;
  using namespace pelorus;
  const uint16_t pcr = (data[0] & 3) == 0 ? 0x100 : (data[0] & 3) == 1 ? 0x101 : 0x102;
  const RecorderPlan plan =
      PlanRecording({0x100, 0x101, pcr}, (data[0] & 4) != 0, 0x105, (data[0] & 8) != 0);
  std::span<const uint8_t> rest(data + 1, size - 1);
  RecordRing ring(16);
  ContinuityChecker continuity;
  PsiTemplates templates(plan.program);
  bool started[3] = {!plan.waitPcr, !plan.waitPcr, !plan.waitPcr};
  uint64_t syncErrors = 0;
  for (size_t round = 0; !rest.empty(); ++round) {
    const size_t s = round % plan.readSlots.size();
    const size_t take =
        rest.size() < plan.readSlots[s].readSize ? rest.size() : plan.readSlots[s].readSize;
    const SlotRead walk = WalkSlotRead(plan.readSlots[s], started[s], rest.first(take));
    syncErrors += walk.syncErrors;
    if (walk.record.size() % 188 != 0 || walk.record.size() > take) std::abort();
    if (walk.foreignPacket && (!walk.record.empty() || *walk.foreignPacket >= take / 188)) {
      std::abort();
    }
    if (syncErrors > size / 188) std::abort();
    ring.Push(walk.record);
    if (ring.Fill() > ring.Capacity()) std::abort();
    const std::span<const uint8_t> out = ring.Peek(5);
    if (out.size() % 188 != 0) std::abort();
    for (size_t i = 0; i < out.size() / 188; ++i) continuity.Check(ts::PacketAt(out, i));
    continuity.Release();
    ring.Consume(out.size() / 188);
    if (templates.NextPair().size() != 376) std::abort();
    rest = rest.subspan(take);
  }
  return 0;
}
