#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "scsi/receiver_commands.h"
#include "scsi/sg_io_transport.h"

namespace pelorus {
namespace {

TEST(SgIoTest, InCommandReadsIntoTheBufferFromTheDevice) {
  const ScsiBlock cdb = InquiryBlock();
  std::vector<uint8_t> buffer(36);
  std::array<uint8_t, kSenseLength> sense{};
  sg_io_hdr header;
  BuildSgIoHeader(header, cdb, ScsiDirection::kIn, buffer, sense, std::chrono::seconds(5));
  EXPECT_EQ(header.interface_id, 'S');
  EXPECT_EQ(header.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(header.cmd_len, 6);
  EXPECT_EQ(header.cmdp, cdb.data());
  EXPECT_EQ(header.dxfer_len, 36u);
  EXPECT_EQ(header.dxferp, buffer.data());
  EXPECT_EQ(header.mx_sb_len, 14);
  EXPECT_EQ(header.sbp, sense.data());
  EXPECT_EQ(header.timeout, 5000u);
  EXPECT_EQ(header.iovec_count, 0);
  EXPECT_EQ(header.flags, 0u);
}

TEST(SgIoTest, OutCommandSendsTheBufferToTheDevice) {
  const ScsiBlock cdb = WriteMemoryBlock(0xD0000, 65536);
  std::vector<uint8_t> buffer(65536);
  std::array<uint8_t, kSenseLength> sense{};
  sg_io_hdr header;
  BuildSgIoHeader(header, cdb, ScsiDirection::kOut, buffer, sense, std::chrono::milliseconds(250));
  EXPECT_EQ(header.dxfer_direction, SG_DXFER_TO_DEV);
  EXPECT_EQ(header.cmd_len, 10);
  EXPECT_EQ(header.dxfer_len, 65536u);
  EXPECT_EQ(header.dxferp, buffer.data());
  EXPECT_EQ(header.timeout, 250u);
}

TEST(SgIoTest, NoDataCommandCarriesNoBuffer) {
  const ScsiBlock cdb = StartFirmwareBlock();
  std::vector<uint8_t> stray(8);
  std::array<uint8_t, kSenseLength> sense{};
  sg_io_hdr header;
  BuildSgIoHeader(header, cdb, ScsiDirection::kNone, stray, sense, std::chrono::seconds(5));
  EXPECT_EQ(header.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(header.cmd_len, 6);
  EXPECT_EQ(header.dxfer_len, 0u);
  EXPECT_EQ(header.dxferp, nullptr);
}

TEST(SgIoTest, OnlyACleanCompletionIsSuccess) {
  sg_io_hdr header{};
  header.info = SG_INFO_OK;
  EXPECT_EQ(StatusFromSgIoHeader(header), kScsiSuccess);
  header.status = 0x02;  // check condition
  EXPECT_EQ(StatusFromSgIoHeader(header), kScsiError);
  header.status = 0;
  header.host_status = 0x03;  // time-out on the adapter
  EXPECT_EQ(StatusFromSgIoHeader(header), kScsiError);
  header.host_status = 0;
  header.driver_status = 0x08;
  EXPECT_EQ(StatusFromSgIoHeader(header), kScsiError);
  header.driver_status = 0;
  header.info = SG_INFO_CHECK;
  EXPECT_EQ(StatusFromSgIoHeader(header), kScsiError);
}

TEST(SgIoTest, AMachineWithoutGenericDevicesHasNoBus) {
  SgIoTransport transport("/nonexistent-folder", "/nonexistent-folder");
  std::vector<ScsiAdapter> adapters;
  EXPECT_FALSE(transport.QueryBus(adapters));
  std::vector<uint8_t> buffer(36);
  EXPECT_EQ(transport.Exec({0, 3}, InquiryBlock(), ScsiDirection::kIn, buffer), kScsiError);
}

}  // namespace
}  // namespace pelorus
