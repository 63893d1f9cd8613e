// The EIT browser's hot paths: walking and parsing assembled SDT/EIT buffers, and building the
// event text of a service with many events.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "si/guide.h"
#include "si/guide_text.h"
#include "unit/si/section_builder.h"

namespace {

using pelorus::testing::Bytes;

// Assembled buffers as the capture hands them over: each up to the assembly limit, full of EIT
// sections of `events` events each for services 1..20.
std::vector<Bytes> EitBuffers(size_t buffers) {
  std::vector<Bytes> all;
  uint16_t eventId = 0;
  for (size_t b = 0; b < buffers; ++b) {
    Bytes buffer;
    while (true) {
      std::vector<pelorus::testing::EitEvent> events;
      for (int e = 0; e < 4; ++e) {
        events.push_back({eventId++, 0xEA60, 0x200000, 0x003000, "An event name of some length",
                          "A longer description of what the programme is about, as the "
                          "broadcasters send it, in a few sentences."});
      }
      const Bytes section =
          pelorus::testing::BuildEit(static_cast<uint16_t>(1 + eventId % 20), events);
      if (buffer.size() + section.size() > 3908) break;
      pelorus::testing::Append(buffer, section);
    }
    all.push_back(buffer);
  }
  return all;
}

void BM_SectionWalkSdtEit(benchmark::State& state) {
  const std::vector<Bytes> buffers = EitBuffers(64);
  std::vector<pelorus::testing::SdtService> services;
  for (uint16_t id = 1; id <= 20; ++id) services.push_back({id, "Provider", "Service"});
  const Bytes sdt = pelorus::testing::BuildSdt(1, 1, services);
  size_t bytes = 0;
  for (auto _ : state) {
    pelorus::Guide guide;
    guide.ParseSdtSections(sdt);
    bytes += sdt.size();
    for (const Bytes& buffer : buffers) {
      guide.ParseEitSections(buffer, 0);
      bytes += buffer.size();
    }
    benchmark::DoNotOptimize(guide.Peek().events);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SectionWalkSdtEit)->Unit(benchmark::kMillisecond);

// The same buffers again into a guide that already knows their events, as the carousel repeats.
void BM_SectionWalkEitRepeats(benchmark::State& state) {
  const std::vector<Bytes> buffers = EitBuffers(64);
  std::vector<pelorus::testing::SdtService> services;
  for (uint16_t id = 1; id <= 20; ++id) services.push_back({id, "Provider", "Service"});
  pelorus::Guide guide;
  guide.ParseSdtSections(pelorus::testing::BuildSdt(1, 1, services));
  for (const Bytes& buffer : buffers) guide.ParseEitSections(buffer, 0);
  size_t bytes = 0;
  for (auto _ : state) {
    for (const Bytes& buffer : buffers) {
      guide.ParseEitSections(buffer, 0);
      bytes += buffer.size();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SectionWalkEitRepeats)->Unit(benchmark::kMillisecond);

void BM_GuideTextOf5000Events(benchmark::State& state) {
  pelorus::ServiceEntry service;
  service.serviceId = 1;
  for (int i = 0; i < 5000; ++i) {
    pelorus::EventEntry event;
    event.eventId = static_cast<uint16_t>(i);
    event.start = {2026, 12, 7, (i / 60) % 24, i % 60, 0};
    event.duration = {0, 30, 0};
    event.name = "An event name of some length";
    event.extendedText = "A longer description of what the programme is about.";
    service.events.push_back(event);
  }
  for (auto _ : state) {
    std::string text = pelorus::ServiceEventsText(service);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_GuideTextOf5000Events)->Unit(benchmark::kMillisecond);

}  // namespace
