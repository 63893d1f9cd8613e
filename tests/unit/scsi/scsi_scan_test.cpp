#include "scsi/scsi_scan.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <map>

#include "scripted_transport.h"
#include "scsi/scsi_guard.h"
#include "scsi/sim_transport.h"
#include "support/fake_ui.h"

namespace pelorus {
namespace {

using testing::ScriptedTransport;

// A bus whose targets answer INQUIRY with the given identification; others do not answer.
void Populate(ScriptedTransport& transport, std::map<std::pair<int, int>, std::string> devices) {
  transport.handler = [devices](const ScriptedTransport::Command& command,
                                std::span<uint8_t> in) -> ScriptedTransport::Reply {
    const auto found = devices.find({command.address.adapter, command.address.target});
    if (found == devices.end()) return {kScsiError, 0};
    std::fill(in.begin(), in.end(), ' ');
    std::memcpy(in.data() + 8, found->second.data(), found->second.size());
    return {kScsiSuccess, in.size()};
  };
}

std::vector<std::pair<int, int>> Inquired(const ScriptedTransport& transport) {
  std::vector<std::pair<int, int>> asked;
  for (const auto& command : transport.commands) {
    EXPECT_EQ(testing::BlockHex(command.cdb), "120000002400");
    EXPECT_EQ(command.data.size(), 36u);
    asked.emplace_back(command.address.adapter, command.address.target);
  }
  return asked;
}

TEST(ScsiScanTest, EveryTargetButTheAdaptersOwnIdIsAskedUntilTheReceiverAnswers) {
  ScriptedTransport transport;
  transport.adapters = {{0, 2}, {1, -1}};
  Populate(transport, {{{0, 1}, "GENERIC DISK"}, {{1, 4}, "Tessera"}});
  ASSERT_TRUE(FindReceiver(transport));
  EXPECT_EQ(transport.receiverAddress, (ScsiAddress{1, 4}));
  EXPECT_EQ(Inquired(transport), (std::vector<std::pair<int, int>>{{0, 0},
                                                                   {0, 1},
                                                                   {0, 3},
                                                                   {0, 4},
                                                                   {0, 5},
                                                                   {0, 6},
                                                                   {0, 7},
                                                                   {1, 0},
                                                                   {1, 1},
                                                                   {1, 2},
                                                                   {1, 3},
                                                                   {1, 4}}));
}

TEST(ScsiScanTest, TheFirstMatchInAdapterThenTargetOrderWins) {
  ScriptedTransport transport;
  transport.adapters = {{0, 7}, {1, 7}};
  Populate(transport, {{{1, 0}, "Tessera"}, {{0, 5}, "OVERFLOW VANTA SCSI"}, {{0, 6}, "Tessera"}});
  ASSERT_TRUE(FindReceiver(transport));
  EXPECT_EQ(transport.receiverAddress, (ScsiAddress{0, 5}));
}

TEST(ScsiScanTest, LowerCaseOrNoAdaptersFindsNothing) {
  ScriptedTransport transport;
  transport.adapters = {{0, 7}};
  Populate(transport, {{{0, 3}, "tessera"}, {{0, 4}, "overflow vanta scsi"}});
  EXPECT_FALSE(FindReceiver(transport));
  EXPECT_EQ(transport.commands.size(), 7u);  // targets 0-6; 7 is the adapter

  ScriptedTransport empty;
  empty.adapters = {};
  EXPECT_FALSE(FindReceiver(empty));
  EXPECT_TRUE(empty.commands.empty());
}

TEST(ScsiScanTest, TransportChoiceFollowsTheLinkThenTheEnvironment) {
  EXPECT_NE(dynamic_cast<SimTransport*>(OpenScsiTransport("sim:/tmp/x.sock").get()), nullptr);
  EXPECT_EQ(OpenScsiTransport("sim:"), nullptr);
  EXPECT_EQ(OpenScsiTransport("bogus"), nullptr);
  ::setenv("PELORUS_SCSI", "sim:/tmp/from-env.sock", 1);
  EXPECT_NE(dynamic_cast<SimTransport*>(OpenScsiTransport("").get()), nullptr);
  ::unsetenv("PELORUS_SCSI");
  auto fallback = OpenScsiTransport("");
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(dynamic_cast<SimTransport*>(fallback.get()), nullptr);
}

TEST(ScsiScanTest, AScanThatFindsNothingSaysNothing) {
  EditorState state;
  state.links.scsi = "sim:/nonexistent/pelorus.sock";
  testing::FakeUi ui;
  ScsiScan(state, ui);
  EXPECT_EQ(state.aspiModule, nullptr);
  EXPECT_TRUE(ui.calls.empty());

  // The reason waits for the first SCSI command, which refuses with it as its detail.
  EXPECT_NE(state.scsiMissingReason.find("/nonexistent/pelorus.sock"), std::string::npos)
      << state.scsiMissingReason;
  EXPECT_FALSE(RequireScsi(state, ui));
  EXPECT_EQ(ui.calls,
            std::vector<std::string>{"message stop: Function unavailable without SCSI interface"});
  EXPECT_EQ(ui.details, std::vector<std::string>{state.scsiMissingReason});
  // Each scan gives its own reason.
  state.links.scsi = "frobnicate";
  ScsiScan(state, ui);
  EXPECT_EQ(state.scsiMissingReason,
            "\"frobnicate\" names no SCSI transport (sim:PATH is the stand-in receiver)");
}

}  // namespace
}  // namespace pelorus
