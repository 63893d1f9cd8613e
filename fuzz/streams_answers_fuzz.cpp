// The receiver's answers as the stream features read them: the current-service block (the
// PIDs the recorder plans with) and the AC-3 PID text typed beside it. Every PID that comes
// out must be one the 13-bit field can carry once the plan refuses larger ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "streams/record_command.h"
#include "streams/recorder_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  const std::span<const uint8_t> block(data, size);
  if (const auto service = ParseCurrentService(block)) {
    if (size < kCurrentServiceSize) std::abort();
    if (service->pcrPid == ts::kNullPid && service->videoPid != ts::kNullPid) std::abort();
    const RecorderPlan plan = PlanRecording(*service, false, 0, true);
    if (plan.readSlots.size() < 2 || plan.readSlots.size() > 3) std::abort();
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size < 16 ? size : 16);
  if (const auto pid = ParseAc3PidText(text); pid && *pid > ts::kMaxPid) std::abort();
  return 0;
}
