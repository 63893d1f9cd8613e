#pragma once

#include <string>

namespace sim {

// The one misbehaviour --fault asks the serial side for. NAME or NAME:N.
struct SerialFault {
  enum class Kind {
    kNone,
    kNoAttention,        // "no-attention": "CBEG" goes unanswered
    kOkOnly,             // "ok-only": "\rOK\r" without the line feed
    kGarbage,            // "garbage": a stream of bytes that is never the answer
    kShortSize,          // "short-size": the size answer without its padding
    kHugeSize,           // "huge-size": announces 5 MiB of settings
    kShortRecord,        // "short-record": the settings block stops inside its last record
    kBadChecksum,        // "bad-checksum": the settings block's checksum is wrong
    kFlashSilent,        // "flash-silent": the flash subroutine never says "A"
    kCrcError,           // "crc-error:N": "C" after firmware block N (default 1)
    kUnknownLetter,      // "unknown-letter": "Z" instead of "B" after the first block
    kUnknownDecompress,  // "unknown-decompress": "Q" instead of "D" after the first block
    kDisconnect,         // "disconnect": the line goes dead half-way through a transfer
  };
  Kind kind = Kind::kNone;
  int block = 1;
};

// False when the name is not known.
bool ParseSerialFault(const std::string& text, SerialFault& fault);

}  // namespace sim
