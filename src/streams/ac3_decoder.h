#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pelorus {

// The decoder plugin's entry points, as the plugin exports them by name. AC3Start is a thread
// procedure: it is given the read end of the pipe (a file descriptor carried in the pointer),
// reads the audio stream from it until the write end is closed or AC3Stop is called, plays it,
// and returns. The plugin never closes the descriptor; whoever made the pipe does. AC3Stop is
// called once the write end is closed, so a decoder that is slow to start still sees the end.
inline constexpr char kAc3StartSymbol[] = "AC3Start";
inline constexpr char kAc3StopSymbol[] = "AC3Stop";
using Ac3StartProc = uint32_t (*)(void* readHandle);
using Ac3StopProc = void (*)();

// A loaded decoder. Destroying it releases the library.
class Ac3Decoder {
 public:
  virtual ~Ac3Decoder() = default;
  virtual uint32_t Start(int readFd) = 0;
  virtual void Stop() = 0;
};

// Loads a decoder; null when the library or either entry point is missing. The front ends pass
// the plugin loader below, tests a decoder of their own.
using Ac3DecoderLoader = std::function<std::unique_ptr<Ac3Decoder>()>;

// The plugin's file name, and where it is looked for: PELORUS_AC3DEC when set, else beside the
// running program, else in lib/pelorus/ beside the program's bin/ folder.
inline constexpr char kAc3PluginFileName[] = "AC3DEC.so";
std::string FindAc3Plugin();

// Loads the plugin at `path` with the system's dynamic loader.
std::unique_ptr<Ac3Decoder> LoadAc3Plugin(const std::string& path);

// The loader the front ends use: FindAc3Plugin, then LoadAc3Plugin.
Ac3DecoderLoader Ac3PluginLoader();

}  // namespace pelorus
