#include "streams/ac3_decoder.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace pelorus {
namespace {

// The core loads the plugin itself with dlopen rather than through the Qt layer, so the console
// and the desktop share one loader and the core stays free of Qt.
class PluginDecoder : public Ac3Decoder {
 public:
  PluginDecoder(void* library, Ac3StartProc start, Ac3StopProc stop)
      : library_(library), start_(start), stop_(stop) {}
  ~PluginDecoder() override { ::dlclose(library_); }
  PluginDecoder(const PluginDecoder&) = delete;
  PluginDecoder& operator=(const PluginDecoder&) = delete;

  uint32_t Start(int readFd) override {
    return start_(reinterpret_cast<void*>(static_cast<intptr_t>(readFd)));
  }
  void Stop() override { stop_(); }

 private:
  void* library_;
  Ac3StartProc start_;
  Ac3StopProc stop_;
};

}  // namespace

std::string FindAc3Plugin() {
  if (const char* path = std::getenv("PELORUS_AC3DEC"); path != nullptr && *path != '\0') {
    return path;
  }
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path folder = error ? std::filesystem::path(".") : self.parent_path();
  const std::filesystem::path beside = folder / kAc3PluginFileName;
  if (std::filesystem::exists(beside, error)) return beside.string();
  return (folder.parent_path() / "lib" / "pelorus" / kAc3PluginFileName).string();
}

std::unique_ptr<Ac3Decoder> LoadAc3Plugin(const std::string& path) {
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  auto start = reinterpret_cast<Ac3StartProc>(::dlsym(library, kAc3StartSymbol));
  auto stop = reinterpret_cast<Ac3StopProc>(::dlsym(library, kAc3StopSymbol));
  if (start == nullptr || stop == nullptr) {
    ::dlclose(library);
    return nullptr;
  }
  return std::make_unique<PluginDecoder>(library, start, stop);
}

Ac3DecoderLoader Ac3PluginLoader() {
  return [] { return LoadAc3Plugin(FindAc3Plugin()); };
}

}  // namespace pelorus
