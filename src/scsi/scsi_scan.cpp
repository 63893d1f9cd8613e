#include "scsi/scsi_scan.h"

#include <array>
#include <cstdlib>

#include "common/strfmt.h"
#include "receiver/scsi_opcodes.h"
#include "scsi/messages.h"
#include "scsi/receiver_commands.h"
#include "scsi/sg_io_transport.h"
#include "scsi/sim_transport.h"

namespace pelorus {
namespace {

constexpr char kSimPrefix[] = "sim:";
constexpr int kTargetsPerAdapter = 8;

}  // namespace

std::shared_ptr<ScsiTransport> OpenScsiTransport(const std::string& link) {
  std::string chosen = link;
  if (chosen.empty()) {
    if (const char* environment = std::getenv("PELORUS_SCSI")) chosen = environment;
  }
  if (chosen.empty()) return std::make_shared<SgIoTransport>();
  if (chosen.starts_with(kSimPrefix) && chosen.size() > sizeof kSimPrefix - 1) {
    return std::make_shared<SimTransport>(chosen.substr(sizeof kSimPrefix - 1));
  }
  return nullptr;
}

bool FindReceiver(ScsiTransport& transport) {
  std::vector<ScsiAdapter> adapters;
  if (!transport.QueryBus(adapters)) return false;
  const ScsiBlock inquiry = InquiryBlock();
  for (const ScsiAdapter& adapter : adapters) {
    if (adapter.number < 0 || adapter.number > 255) continue;
    for (int target = 0; target < kTargetsPerAdapter; ++target) {
      if (target == adapter.ownId) continue;
      const ScsiAddress address{static_cast<uint8_t>(adapter.number), static_cast<uint8_t>(target)};
      std::array<uint8_t, kScsiInquiryLength> answer{};
      size_t received = 0;
      if (transport.Exec(address, inquiry, ScsiDirection::kIn, answer, &received) != kScsiSuccess) {
        continue;
      }
      if (IsReceiverInquiry(std::span(answer).first(received))) {
        transport.receiverAddress = address;
        return true;
      }
    }
  }
  return false;
}

void ScsiScan(EditorState& state, Ui& ui, std::string* whyNotFound) {
  state.aspiModule.reset();
  state.scsiMissingReason.clear();
  std::shared_ptr<ScsiTransport> transport = OpenScsiTransport(state.links.scsi);
  if (!transport) {
    state.scsiMissingReason =
        Format("\"%s\" names no SCSI transport (sim:PATH is the stand-in receiver)",
               state.links.scsi.c_str());
    if (whyNotFound != nullptr) *whyNotFound = state.scsiMissingReason;
    return;
  }
  if (!FindReceiver(*transport)) {
    state.scsiMissingReason = !transport->LastFailure().empty()
                                  ? transport->LastFailure()
                                  : std::string("no receiver answered on the SCSI bus");
    if (whyNotFound != nullptr) *whyNotFound = state.scsiMissingReason;
    return;
  }
  state.aspiModule = std::move(transport);
  const ScsiAddress where = state.aspiModule->receiverAddress;
  ui.SetStatusText(Format(msg::scsi::kReceiverLocated, where.adapter, where.target));
}

void ScsiScan(EditorState& state, Ui& ui) { ScsiScan(state, ui, nullptr); }

}  // namespace pelorus
