// The lists of other receivers at the sizes published lists have: a service database of 10,000
// services with 20 bouquets imported (from memory, and from files through the reader the
// commands use), and a full list of 65,536 records put in the order of a 10,000-channel
// reference.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/strfmt.h"
#include "lists/bouquet.h"
#include "lists/lamedb.h"
#include "lists/list_assembly.h"
#include "lists/list_import.h"
#include "lists/list_reader.h"
#include "lists/reorder.h"
#include "support/quiet_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

constexpr int kServices = 10000;
constexpr int kBouquets = 20;
constexpr int kTransponders = 400;

std::span<const uint8_t> Bytes(const std::string& text) {
  return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// Two satellites, 400 transponders, 10,000 services of every kind; every service is in one of
// the 20 bouquets, which list them in an order of their own.
struct PublishedList {
  std::string lamedb;
  std::vector<std::string> bouquets;
};

PublishedList MakePublishedList() {
  PublishedList list;
  std::mt19937 random(7);
  std::string text = "eDVB services /4/\ntransponders\n";
  for (int t = 0; t < kTransponders; ++t) {
    const int orbital = t % 2 == 0 ? 192 : 130;
    text += Format("%08x:%04x:%04x\n\ts %d:%d:%d:%d:%d:2:0%s\n/\n", orbital << 16, t + 1, 1,
                   10700000 + t * 5000, 27500000, t % 2, t % 5 + 1, orbital,
                   t % 7 == 0 ? ":1:1:2:0:2" : "");
  }
  text += "end\nservices\n";
  std::vector<std::string> references;
  for (int s = 0; s < kServices; ++s) {
    const int t = s % kTransponders;
    const int orbital = t % 2 == 0 ? 192 : 130;
    const int type = s % 10 == 0 ? 25 : s % 10 == 1 ? 2 : 1;
    text += Format(
        "%04x:%08x:%04x:%04x:%d:0\nService %d \xC3\xA9t\xC3\xA9\n"
        "p:Provider,c:00%04x,c:01%04x,c:03%04x,f:01\n",
        s + 1, orbital << 16, t + 1, 1, type, s, 0x100 + s % 0x1000, 0x101 + s % 0x1000,
        0x100 + s % 0x1000);
    references.push_back(
        Format("#SERVICE 1:0:%X:%X:%X:%X:%X:0:0:0:\n", type, s + 1, t + 1, 1, orbital << 16));
  }
  text += "end\n";
  list.lamedb = std::move(text);
  std::shuffle(references.begin(), references.end(), random);
  const size_t each = references.size() / kBouquets;
  for (int b = 0; b < kBouquets; ++b) {
    std::string bouquet = Format("#NAME Bouquet %d\n", b);
    for (size_t i = b * each; i < (b + 1) * each; ++i) {
      if (i % 50 == 0) bouquet += Format("#SERVICE 1:64:%zX:0:0:0:0:0:0:0::Group %zu\n", i, i);
      bouquet += references[i];
    }
    list.bouquets.push_back(std::move(bouquet));
  }
  return list;
}

void BM_ImportLamedbWithTwentyBouquets(benchmark::State& state) {
  const PublishedList published = MakePublishedList();
  int imported = 0;
  for (auto _ : state) {
    ForeignList list;
    const int database = list.AddFile("lamedb");
    std::vector<BouquetFile> bouquets;
    for (const std::string& text : published.bouquets) {
      bouquets.push_back({list.AddFile("userbouquet"), ParseBouquet(Bytes(text))});
    }
    AddLamedbChannels(ParseLamedb(Bytes(published.lamedb)), database, bouquets, list);
    const ImportOutcome outcome = BuildImport(list, {});
    imported = outcome.imported;
    benchmark::DoNotOptimize(outcome.records.data());
  }
  state.counters["imported"] = imported;
  state.counters["lamedb_bytes"] = static_cast<double>(published.lamedb.size());
}
BENCHMARK(BM_ImportLamedbWithTwentyBouquets)->Unit(benchmark::kMillisecond);

// The same from files, as the commands read them: the bouquet index beside the database names
// the 20 bouquets.
void BM_ImportLamedbFolderFromFiles(benchmark::State& state) {
  const PublishedList published = MakePublishedList();
  testing::TempDir dir;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir.File(name), std::ios::binary) << text;
  };
  write("lamedb", published.lamedb);
  std::string index = "#NAME User - bouquets (TV)\n";
  for (int b = 0; b < kBouquets; ++b) {
    const std::string name = Format("userbouquet.b%d.tv", b);
    write(name, published.bouquets[static_cast<size_t>(b)]);
    index +=
        Format("#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"%s\" ORDER BY bouquet\n", name.c_str());
  }
  write("bouquets.tv", index);
  testing::QuietUi ui;
  int imported = 0;
  for (auto _ : state) {
    ForeignList list;
    if (!ReadForeignLists({dir.File("lamedb")}, ui, list)) {
      state.SkipWithError("the folder could not be read");
      break;
    }
    imported = BuildImport(list, {}).imported;
  }
  state.counters["imported"] = imported;
}
BENCHMARK(BM_ImportLamedbFolderFromFiles)->Unit(benchmark::kMillisecond);

// A full list of 65,536 channels; the reference has 10,000 of them (half known by their ids,
// half by name and frequency) in another order, under 20 title rows.
void BM_ReorderFullListLikeReference(benchmark::State& state) {
  std::mt19937 random(11);
  std::vector<ChannelRecord> list;
  list.reserve(65536);
  for (int i = 0; i < 65536; ++i) {
    ChannelRecord record = testing::MakeChannel("Channel " + std::to_string(i),
                                                static_cast<uint16_t>(10700 + i % 2000));
    record.polarity = static_cast<uint8_t>(i % 2);
    if (i % 2 == 0) {
      record.serviceId = static_cast<uint16_t>(i + 1);
      record.tsId = static_cast<uint16_t>(i / 64 + 1);
      record.networkId = 1;
    }
    list.push_back(record);
  }
  std::vector<ChannelRecord> picked(list.begin(), list.end());
  std::shuffle(picked.begin(), picked.end(), random);
  picked.resize(10000);
  std::vector<ChannelRecord> reference;
  for (size_t i = 0; i < picked.size(); ++i) {
    if (i % 500 == 0) reference.push_back(testing::MakeChannel("Group", 0));
    ChannelRecord entry = picked[i];
    entry.frequency = static_cast<uint16_t>(entry.frequency + 1);  // a list a year older
    reference.push_back(entry);
  }
  int matched = 0;
  for (auto _ : state) {
    const ReorderOutcome outcome = ReorderLike(list, ReferenceFromRecords(reference));
    matched = outcome.matched;
    benchmark::DoNotOptimize(outcome.records.data());
  }
  state.counters["matched"] = matched;
}
BENCHMARK(BM_ReorderFullListLikeReference)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelorus
