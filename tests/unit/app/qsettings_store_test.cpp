#include <gtest/gtest.h>

#include "app/options_io.h"
#include "qsettings_options_store.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

TEST(QSettingsStore, FirstRunThenEveryValueSurvivesARestart) {
  testing::TempDir dir;
  const QString ini = QString::fromStdString(dir.File("Pelorus.conf"));
  Options options;
  {
    QSettingsOptionsStore store(ini);
    EXPECT_FALSE(store.Exists());
    EXPECT_TRUE(LoadOptions(options, store));
    EXPECT_EQ(options.port, 1u);
    options.mpegProjectDataFormat = 2;
    options.streamThreshold = 4096;
    options.dvbInitialDir = "/home/me/lists with blanks/";
    options.serialDevice = "/dev/pts/7";
    SaveOptions(options, store);
  }
  QSettingsOptionsStore store(ini);
  Options reloaded;
  EXPECT_FALSE(LoadOptions(reloaded, store));
  EXPECT_EQ(reloaded.port, 1u);
  EXPECT_EQ(reloaded.speed, 3u);
  EXPECT_EQ(reloaded.mpegProjectDataFormat, 2u);  // the value name ending in a tab
  EXPECT_EQ(reloaded.streamThreshold, 4096u);
  EXPECT_EQ(reloaded.dvbInitialDir, "/home/me/lists with blanks/");
  EXPECT_EQ(reloaded.serialDevice, "/dev/pts/7");
  EXPECT_EQ(reloaded.mpegProjectAddMarkers, 1u);
}

TEST(QSettingsStore, ValuesThatAreNotNumbersKeepTheirDefaults) {
  testing::TempDir dir;
  const std::string ini = dir.File("odd.conf");
  testing::WriteBytes(ini, {});
  {
    std::FILE* file = std::fopen(ini.c_str(), "w");
    std::fputs("[General]\nStreamMode=fast\nPort=-3\nSpeed=99999999999\nDecimal=1\n", file);
    std::fclose(file);
  }
  QSettingsOptionsStore store(QString::fromStdString(ini));
  Options options;
  EXPECT_FALSE(LoadOptions(options, store));
  EXPECT_EQ(options.streamMode, 2u);
  EXPECT_EQ(options.port, 0u);
  EXPECT_EQ(options.speed, 0u);
  EXPECT_EQ(options.decimal, 1u);
}

}  // namespace
}  // namespace pelorus
