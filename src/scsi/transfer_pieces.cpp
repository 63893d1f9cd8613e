#include "scsi/transfer_pieces.h"

#include <algorithm>

#include "receiver/scsi_opcodes.h"

namespace pelorus {

std::vector<TransferPiece> SplitIntoPieces(uint32_t address, uint64_t length) {
  std::vector<TransferPiece> pieces;
  for (uint64_t offset = 0; offset < length; offset += kScsiMaxPiece) {
    const uint64_t size = std::min<uint64_t>(kScsiMaxPiece, length - offset);
    pieces.push_back(
        {static_cast<uint32_t>(address + offset), offset, static_cast<uint32_t>(size)});
  }
  return pieces;
}

int ProgressPercent(uint64_t done, uint64_t total) {
  if (total == 0) return 100;
  return static_cast<int>(done * 100 / total);
}

}  // namespace pelorus
