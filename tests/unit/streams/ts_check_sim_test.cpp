// The file check on the stand-in receiver's own multiplex, clean and with each of its faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "streams/ts_check.h"
#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::TempDir;

constexpr uint16_t kVideoPid = 0x0200;

struct Report {
  uint64_t packets = 0;
  uint64_t badSync = 0;
  uint64_t tsErrors = 0;
  uint64_t videoPackets = 0;
  uint64_t videoErrors = 0;
  uint64_t otherErrors = 0;  // continuity errors on every PID but the video
};

// Reads the numbers back out of the report text, as a user would.
Report ParseReport(const std::string& text) {
  Report report;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    unsigned pid;
    unsigned long long count, errors;
    double share;
    // PID lines first: their leading number would also match the totals' patterns.
    if (line.size() > 5 && line[4] == ' ' &&
        std::sscanf(line.c_str(), "%4x %llu %llu %lf%%", &pid, &count, &errors, &share) == 4) {
      if (pid == kVideoPid) {
        report.videoPackets = count;
        report.videoErrors = errors;
      } else {
        report.otherErrors += errors;
      }
    } else if (std::sscanf(line.c_str(), "Packet statistics for %llu", &count) == 1) {
      report.packets = count;
    } else if (line.find(" bad packets") != std::string::npos) {
      report.badSync = std::strtoull(line.c_str(), nullptr, 10);
    } else if (line.find(" packets with TS error") != std::string::npos) {
      report.tsErrors = std::strtoull(line.c_str(), nullptr, 10);
    }
  }
  return report;
}

Report CheckSimulatorFile(const TempDir& dir, const std::string& fault) {
  const std::string file = dir.File(fault.empty() ? "clean.m2t" : fault + ".m2t");
  std::string command = testing::SimProcess::SimulatorPath() + " --write-ts '" + file +
                        "' --seconds 10" + (fault.empty() ? "" : " --ts-fault " + fault);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const auto run = testing::RunCommandLine({"ts-check", file});
  EXPECT_EQ(run.status, 0) << run.err;
  return ParseReport(run.out);
}

TEST(TsCheckSimulator, CleanMultiplexAndEachFaultShowInTheReport) {
  TempDir dir;
  const Report clean = CheckSimulatorFile(dir, "");
  ASSERT_GT(clean.packets, 30000u);  // ten seconds at 5 Mbit/s
  ASSERT_GT(clean.videoPackets, 3000u);
  EXPECT_EQ(clean.badSync, 0u);
  EXPECT_EQ(clean.tsErrors, 0u);
  EXPECT_EQ(clean.videoErrors + clean.otherErrors, 0u);

  // Every 500th video packet skips a counter value: one error each.
  const Report jumps = CheckSimulatorFile(dir, "cc-jump");
  EXPECT_LE(static_cast<double>(jumps.videoErrors), jumps.videoPackets / 500.0 + 1.0);
  EXPECT_GT(jumps.videoErrors, 0u);
  EXPECT_EQ(jumps.otherErrors, 0u);

  const Report tei = CheckSimulatorFile(dir, "tei");
  EXPECT_NEAR(static_cast<double>(tei.tsErrors), tei.videoPackets / 400.0, 1.0);
  EXPECT_GT(tei.tsErrors, 0u);
  EXPECT_EQ(tei.badSync, 0u);

  const Report sync = CheckSimulatorFile(dir, "bad-sync");
  EXPECT_NEAR(static_cast<double>(sync.badSync), sync.videoPackets / 300.0, 1.0);
  EXPECT_GT(sync.badSync, 0u);
  EXPECT_EQ(sync.tsErrors, 0u);
}

}  // namespace
}  // namespace pelorus
