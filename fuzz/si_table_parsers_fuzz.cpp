// Every table type on a section off the air: byte 0 picks the table, the rest is the section
// (read whole, and as a capture cut short). Loops are cut to the section, so nothing may read
// past the input (the sanitizer checks), every list stays within what the bytes can hold, and
// the texts made from it decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "si/eit.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/sdt.h"
#include "si/si_describe.h"
#include "si/table_tracker.h"
#include "si/time_tables.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

template <typename Table>
void Collect(const pelorus::Section& section) {
  pelorus::TableCollector<Table> collector;
  collector.Add(section);
  collector.Add(section);
  (void)collector.Partial();
}

void ParseAll(const pelorus::Section& section, uint8_t which) {
  const size_t size = section.bytes.size();
  switch (which % 9) {
    case 0:
      if (const auto pat = pelorus::Pat::Parse(section)) {
        Check(pat->programs.size() <= size / 4);
        (void)pelorus::DescribeTransportStream(*pat);
      }
      Collect<pelorus::Pat>(section);
      break;
    case 1:
      if (const auto cat = pelorus::Cat::Parse(section)) Check(cat->ca.size() <= size / 2);
      break;
    case 2:
      if (const auto pmt = pelorus::Pmt::Parse(section)) {
        Check(pmt->streams.size() <= size / 5);
        (void)pelorus::DescribeProgramMap(*pmt);
      }
      break;
    case 3:
      if (const auto nit = pelorus::Nit::Parse(section)) {
        Check(nit->transportStreams.size() <= size / 6);
        (void)pelorus::DescribeNetwork(*nit);
      }
      Collect<pelorus::Nit>(section);
      break;
    case 4:
      if (const auto sdt = pelorus::Sdt::Parse(section)) {
        Check(sdt->services.size() <= size / 5);
        for (const auto& service : sdt->services) (void)pelorus::DescribeService(service);
      }
      Collect<pelorus::Sdt>(section);
      break;
    case 5:
      if (const auto bat = pelorus::Bat::Parse(section)) {
        Check(bat->transportStreams.size() <= size / 6);
      }
      break;
    case 6:
      if (const auto eit = pelorus::Eit::Parse(section)) Check(eit->events.size() <= size / 12);
      Collect<pelorus::Eit>(section);
      break;
    case 7:
      if (const auto tdt = pelorus::Tdt::Parse(section)) (void)tdt->Utc();
      break;
    default:
      if (const auto tot = pelorus::Tot::Parse(section)) {
        Check(tot->offsets.size() <= size / 13);
        (void)tot->Utc();
      }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  if (const auto section = pelorus::Section::Parse(bytes)) {
    Check(section->bytes.size() == 3u + section->length);
    Check(section->payload.size() <= section->bytes.size());
    ParseAll(*section, data[0]);
  }
  if (const auto cut = pelorus::Section::ParseCut(bytes)) {
    Check(cut->bytes.size() <= bytes.size());
    ParseAll(*cut, data[0]);
  }
  return 0;
}
