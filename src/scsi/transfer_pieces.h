#pragma once

#include <cstdint>
#include <vector>

namespace pelorus {

// One command's share of a bulk transfer: `length` bytes at receiver `address`, which are bytes
// `offset` .. `offset + length - 1` of the whole.
struct TransferPiece {
  uint32_t address = 0;
  uint64_t offset = 0;
  uint32_t length = 0;
};

// Splits `length` bytes from `address` into pieces of at most 65536 bytes at increasing
// addresses, the last one the remainder.
std::vector<TransferPiece> SplitIntoPieces(uint32_t address, uint64_t length);

// truncate(done / total * 100), without overflow for any 32-bit sizes.
int ProgressPercent(uint64_t done, uint64_t total);

}  // namespace pelorus
