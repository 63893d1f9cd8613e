// The channel editor's bulk operations on a full list of 65,536 records: sorting by name (the
// locale's collation) and by frequency, and writing and reading every channel as a text line.
#include <benchmark/benchmark.h>

#include <clocale>
#include <random>
#include <string>
#include <vector>

#include "channels/sorting.h"
#include "channels/text_transfer.h"
#include "support/quiet_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

constexpr int kFullList = 65536;

// Names and frequencies in random order, so the sorts do real work.
std::vector<ChannelRecord> ShuffledList() {
  std::mt19937 random(20261207);
  std::vector<ChannelRecord> records;
  records.reserve(kFullList);
  for (int i = 0; i < kFullList; ++i) {
    const uint32_t n = random();
    ChannelRecord record = testing::MakeChannel(
        (n % 3 == 0 ? "sat " : "Channel ") + std::to_string(n % 1000000),
        static_cast<uint16_t>(10700 + n % 2050), static_cast<uint16_t>(22000 + n % 8000));
    record.serviceId = static_cast<uint16_t>(n >> 8);
    records.push_back(record);
  }
  return records;
}

// The user's locale, as the editor sorts in it; the C locale when the environment names none.
void UseEnvironmentLocale() { std::setlocale(LC_ALL, ""); }

void BM_SortByName(benchmark::State& state) {
  UseEnvironmentLocale();
  const std::vector<ChannelRecord> list = ShuffledList();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<ChannelRecord> records = list;
    state.ResumeTiming();
    SortRecords(records, SortKey::kName);
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * kFullList);
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);

void BM_SortByFrequency(benchmark::State& state) {
  const std::vector<ChannelRecord> list = ShuffledList();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<ChannelRecord> records = list;
    state.ResumeTiming();
    SortRecords(records, SortKey::kFrequency);
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * kFullList);
}
BENCHMARK(BM_SortByFrequency)->Unit(benchmark::kMillisecond);

void BM_ExportLines(benchmark::State& state) {
  const std::vector<ChannelRecord> list = ShuffledList();
  for (auto _ : state) {
    std::string text = FormatChannelLines(list, nullptr);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * kFullList);
}
BENCHMARK(BM_ExportLines)->Unit(benchmark::kMillisecond);

void BM_ImportLines(benchmark::State& state) {
  const std::string text = FormatChannelLines(ShuffledList(), nullptr);
  const std::span bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  for (auto _ : state) {
    EditorState editor;
    if (AppendChannelLines(editor, bytes) != kFullList) state.SkipWithError("lines lost");
    benchmark::DoNotOptimize(editor.settingsImage->data());
  }
  state.SetItemsProcessed(state.iterations() * kFullList);
}
BENCHMARK(BM_ImportLines)->Unit(benchmark::kMillisecond);

// Export and import together, through a file, as the two menu commands run.
void BM_ExportThenImportFile(benchmark::State& state) {
  const std::vector<ChannelRecord> list = ShuffledList();
  testing::TempDir dir;
  const std::string path = dir.File("channels.txt");
  EditorState source;
  source.settingsImage = list;
  testing::QuietUi ui;
  for (auto _ : state) {
    if (!WriteChannelTextFile(source, ui, path, nullptr)) state.SkipWithError("not written");
    EditorState target;
    if (ReadChannelTextFile(target, ui, path) != kFullList) state.SkipWithError("lines lost");
  }
  state.SetItemsProcessed(state.iterations() * kFullList);
}
BENCHMARK(BM_ExportThenImportFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelorus
