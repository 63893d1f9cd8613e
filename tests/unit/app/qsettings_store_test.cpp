#include <gtest/gtest.h>

#include <QMetaType>
#include <QSettings>
#include <map>

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

// Settings that can never be written (the folder is a file): no first run, on any start.
TEST(QSettingsStore, UnwritableConfigurationGivesNoFirstRunNotice) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("not-a-folder"), {1});
  const QString ini = QString::fromStdString(dir.File("not-a-folder/Pelorus.conf"));
  for (int start = 0; start < 2; ++start) {
    QSettingsOptionsStore store(ini);
    Options options;
    EXPECT_FALSE(LoadOptions(options, store)) << "start " << start;
    EXPECT_EQ(options.port, 0u);
    EXPECT_FALSE(store.Exists());
  }
}

// What reaches the settings backend: every number as a 32-bit value (a DWORD in the registry),
// and no value besides the options themselves.
std::map<QString, int> writtenTypes;

bool ReadNothing(QIODevice&, QSettings::SettingsMap&) { return true; }
bool RecordTypes(QIODevice&, const QSettings::SettingsMap& map) {
  for (auto it = map.begin(); it != map.end(); ++it) writtenTypes[it.key()] = it.value().typeId();
  return true;
}

TEST(QSettingsStore, NumbersAreStoredAs32BitValuesWithNoExtraMarker) {
  const QSettings::Format format =
      QSettings::registerFormat(QStringLiteral("typecheck"), ReadNothing, RecordTypes);
  testing::TempDir dir;
  const QString path = QString::fromStdString(dir.File("Pelorus.typecheck"));
  QSettingsOptionsStore store(std::make_unique<QSettings>(path, format));
  Options options;
  EXPECT_TRUE(LoadOptions(options, store));
  SaveOptions(options, store);
  ASSERT_FALSE(writtenTypes.empty());
  EXPECT_EQ(writtenTypes.count(QStringLiteral("Created")), 0u);
  EXPECT_EQ(writtenTypes.at(QStringLiteral("Port")), QMetaType::UInt);
  EXPECT_EQ(writtenTypes.at(QStringLiteral("StreamThreshold")), QMetaType::UInt);
  EXPECT_EQ(writtenTypes.at(QStringLiteral("SerialDevice")), QMetaType::QString);
}

}  // namespace
}  // namespace pelorus
