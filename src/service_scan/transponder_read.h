#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "common/link_problem.h"
#include "scsi/scsi_transport.h"
#include "service_scan/slot_capture.h"
#include "service_scan/transponder.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/sdt.h"

namespace pelorus {

// What one transponder's tables said.
struct TransponderTables {
  std::optional<Pat> pat;        // none: no lock
  std::optional<Sdt> sdt;        // the SDT of this multiplex
  std::map<uint16_t, Pmt> pmts;  // by programme number; a programme without one had no PMT
  std::optional<Nit> nitActual;
  std::vector<Nit> nitOther;  // one per other network whose NIT came
};

struct TransponderReadRequest {
  // Tune to `transponder` first; without it the tables are those of the multiplex tuned now.
  bool tune = true;
  SearchTransponder transponder;
  // Wait for the NIT actual as well (and take NIT other where it comes by). Without it the NIT
  // is still read on the third slot while the PAT and SDT are, for the orbital position.
  bool readNit = false;
  bool waitNitOther = false;  // and wait for a NIT other too, up to the time-out
  // No PAT within it is no lock; the SDT and NITs get it again from the PAT's arrival, and
  // every later group of tables gets it again.
  std::chrono::milliseconds timeout{3000};
};

struct TransponderRead {
  TransponderTables tables;
  bool stopped = false;
  LinkFailure failure;  // a problem that ends the run (EndsTheRun), else kNone
};

// Tunes and reads the transponder's PAT, SDT (and NIT) on three slots at once, then its PMTs
// three at a time. The slots are set up before the tune, so the tables sent as the receiver locks
// are not missed. The tune's own refusal counts as no lock; a link that went silent or was lost
// ends the read at once.
TransponderRead ReadTransponder(ScsiTransport& transport, const TransponderReadRequest& request,
                                const RunGate& gate);

}  // namespace pelorus
