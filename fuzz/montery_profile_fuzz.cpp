// Reads any bytes as "pelorus.ini" and looks up the Montery 140's entries in it, for names the
// input also picks: no lookup may return more than it was cut to, and a channel text built from
// it keeps its sent length and one of the four codes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "serial/montery_interface.h"
#include "serial/profile_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte says how long the satellite name is; the name follows, then the file.
  if (size < 1) return 0;
  const size_t nameLength = std::min<size_t>(data[0] % 16, size - 1);
  const std::string satellite(reinterpret_cast<const char*>(data + 1), nameLength);
  const std::span<const uint8_t> file(data + 1 + nameLength, size - 1 - nameLength);

  const pelorus::ProfileIni ini = pelorus::ProfileIni::Parse(file);
  for (const size_t cut : {size_t{0}, size_t{9}, size_t{49}}) {
    const auto value = ini.Value("Name Translation", satellite, cut);
    if (value && value->size() > cut) std::abort();
  }
  const pelorus::MonteryProfile profile(ini);
  const std::string name = profile.TranslatedName(satellite);
  if (name.size() > pelorus::kMonteryTranslationLength && name != satellite) std::abort();

  pelorus::ChannelRecord record{};
  record.frequency = static_cast<uint16_t>(size * 97);
  record.polarity = static_cast<uint8_t>(size & 1);
  const pelorus::MonteryChannel channel = pelorus::BuildMonteryChannel(satellite, record, profile);
  if (channel.sentText.size() > pelorus::kMonterySentTextLength) std::abort();
  if (channel.code < 96 || channel.code > 99) std::abort();
  if (channel.code < 98 && record.frequency <= pelorus::kMonteryKuBandMhz) std::abort();
  return 0;
}
