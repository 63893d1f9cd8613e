// Copying and pasting a full list of 65,536 channels through clipboard text, and pasting an
// MPEG Search Project list of the same size.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "channels/editing.h"
#include "support/fake_ui.h"
#include "support/records.h"

namespace pelorus {
namespace {

constexpr int kChannels = 65536;

EditorState FullList() {
  EditorState state;
  state.settingsImage.emplace();
  state.settingsImage->reserve(kChannels);
  for (int i = 0; i < kChannels; ++i) {
    state.settingsImage->push_back(testing::MakeChannel("Channel " + std::to_string(i),
                                                        static_cast<uint16_t>(10700 + i % 2000)));
  }
  return state;
}

std::vector<int> AllRows() {
  std::vector<int> rows(kChannels);
  for (int i = 0; i < kChannels; ++i) rows[static_cast<size_t>(i)] = i;
  return rows;
}

void BM_CopyAllChannels(benchmark::State& bench) {
  const EditorState state = FullList();
  const std::vector<int> rows = AllRows();
  testing::FakeUi ui;
  for (auto _ : bench) {
    ClipboardUpdate clipboard;
    benchmark::DoNotOptimize(CopyChannels(state, ui, rows, clipboard));
  }
}
BENCHMARK(BM_CopyAllChannels)->Unit(benchmark::kMillisecond);

void BM_PasteAllChannels(benchmark::State& bench) {
  const EditorState full = FullList();
  testing::FakeUi ui;
  ClipboardUpdate clipboard;
  CopyChannels(full, ui, AllRows(), clipboard);
  for (auto _ : bench) {
    EditorState state;
    RowSelection after;
    benchmark::DoNotOptimize(PasteChannels(state, ui, {}, clipboard, false, after));
  }
}
BENCHMARK(BM_PasteAllChannels)->Unit(benchmark::kMillisecond);

void BM_PasteMpegSearchList(benchmark::State& bench) {
  std::string text;
  for (int i = 0; i < kChannels; ++i) {
    text += "Sat " + std::to_string(i / 100) + ",KU," + std::to_string(10700 + i % 2000) +
            ",V,Channel " + std::to_string(i) + " (PCR=256),x,27500,3/4,255,x,x,256,\r\n";
  }
  testing::FakeUi ui;
  for (auto _ : bench) {
    EditorState state;
    RowSelection after;
    benchmark::DoNotOptimize(PasteChannels(state, ui, {}, text, true, after));
  }
}
BENCHMARK(BM_PasteMpegSearchList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelorus
