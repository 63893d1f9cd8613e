// The editing comforts on a full list of 65,536 records: one undo and one redo of a sort, the
// duplicate finder, and the comparison of two lists.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "channels/duplicates.h"
#include "channels/list_diff.h"
#include "channels/sorting.h"
#include "channels/undo_edits.h"
#include "support/quiet_ui.h"
#include "support/records.h"

namespace pelorus {
namespace {

constexpr int kFullList = 65536;

std::vector<ChannelRecord> RandomList(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<ChannelRecord> records;
  records.reserve(kFullList);
  for (int i = 0; i < kFullList; ++i) {
    const uint32_t n = random();
    ChannelRecord record = testing::MakeChannel("Channel " + std::to_string(n % 1000000),
                                                static_cast<uint16_t>(10700 + n % 2050));
    record.serviceId = static_cast<uint16_t>(n >> 8);
    record.videoPid = static_cast<uint16_t>(n % 0x1FFF);
    records.push_back(record);
  }
  return records;
}

// Each iteration undoes the sort and does it again: two steps, reported per step.
void BM_UndoRedoSortOfFullList(benchmark::State& state) {
  EditorState editor;
  editor.settingsImage = RandomList(1);
  testing::QuietUi ui;
  {
    RecordEdit edit(editor, {});
    SelectionAfter after;
    std::vector<int> all(kFullList);
    for (int i = 0; i < kFullList; ++i) all[static_cast<size_t>(i)] = i;
    SortChannels(editor, ui, all, SortKey::kFrequency, after);
    edit.Commit({});
  }
  UndoSelection shown;
  for (auto _ : state) {
    if (!UndoLastEdit(editor, ui, shown) || !RedoLastEdit(editor, ui, shown)) {
      state.SkipWithError("undo or redo failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * 2);
  state.counters["history_bytes"] = static_cast<double>(editor.history.MemoryBytes());
}
BENCHMARK(BM_UndoRedoSortOfFullList)->Unit(benchmark::kMillisecond);

void BM_FindDuplicatesInFullList(benchmark::State& state) {
  const std::vector<ChannelRecord> records = RandomList(2);
  size_t found = 0;
  for (auto _ : state) {
    found = FindDuplicates(records).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["duplicates"] = static_cast<double>(found);
}
BENCHMARK(BM_FindDuplicatesInFullList)->Unit(benchmark::kMillisecond);

// A week's worth of changes: some rows edited, some deleted, some added, a block moved.
void BM_DiffFullLists(benchmark::State& state) {
  const std::vector<ChannelRecord> older = RandomList(3);
  std::vector<ChannelRecord> newer = older;
  for (size_t i = 0; i < newer.size(); i += 97) newer[i].symbolRate = 1;
  newer.erase(newer.begin() + 1000, newer.begin() + 1100);
  newer.insert(newer.begin() + 5000, older.begin() + 20000, older.begin() + 20500);
  const std::vector<ChannelRecord> extra = RandomList(4);
  newer.insert(newer.end(), extra.begin(), extra.begin() + 200);
  size_t moved = 0;
  for (auto _ : state) {
    const ListDiff diff = CompareLists(older, newer);
    moved = diff.moved.size();
    benchmark::DoNotOptimize(moved);
  }
  state.counters["moved"] = static_cast<double>(moved);
}
BENCHMARK(BM_DiffFullLists)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelorus
