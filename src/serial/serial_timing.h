#pragma once

#include <chrono>

namespace pelorus {

// One tick of the serial time-outs: 250 ms, the period of the main window's timer. Every
// fixed pause of the serial protocol is expressed against it, so that tests can run the whole
// dialogue faster by shortening the tick, and nothing else.
std::chrono::milliseconds SerialTick();
void SetSerialTickForTesting(std::chrono::milliseconds tick);

// A pause of the protocol, given in milliseconds at the real 250 ms tick.
std::chrono::microseconds SerialPause(int milliseconds);

}  // namespace pelorus
