// Opening a full settings file: 65,536 records (4 MiB) read, swapped, masked, and every row's
// texts built, as the main window does before it shows the list.
#include <benchmark/benchmark.h>

#include "channels/channel_rows.h"
#include "channels/settings_file.h"
#include "support/quiet_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

std::vector<ChannelRecord> FullList() {
  std::vector<ChannelRecord> records;
  records.reserve(65536);
  for (int i = 0; i < 65536; ++i) {
    ChannelRecord record =
        testing::MakeChannel("Channel number " + std::to_string(i),
                             static_cast<uint16_t>(i % 100 == 0 ? 0 : 10700 + i % 2000));
    record.fecCode = static_cast<uint8_t>(i % 8);
    record.videoPid = static_cast<uint16_t>(i % 7 == 0 ? kNoPid : i % 8191);
    record.modeFlags = static_cast<uint8_t>(i);
    records.push_back(record);
  }
  return records;
}

void BM_OpenFileAndBuildRows(benchmark::State& state) {
  testing::TempDir dir;
  const std::string path = dir.File("full.dvb");
  testing::WriteBytes(path, testing::FileBytes(FullList()));
  testing::QuietUi ui;
  for (auto _ : state) {
    EditorState editor;
    editor.commandLineFile = path;
    OpenSettingsFile(editor, ui);
    std::vector<ChannelRow> rows;
    rows.reserve(editor.settingsImage->size());
    for (size_t i = 0; i < editor.settingsImage->size(); ++i) {
      rows.push_back(
          BuildChannelRow((*editor.settingsImage)[i], static_cast<int>(i), PidMode::kHexadecimal));
    }
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(BM_OpenFileAndBuildRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelorus
