#include <gtest/gtest.h>

#include "app/options_io.h"
#include "app/preferences.h"

namespace pelorus {
namespace {

TEST(Options, FirstRunCreatesTheStoreWithThreeValues) {
  MemoryOptionsStore store;
  Options options;
  EXPECT_TRUE(LoadOptions(options, store));
  EXPECT_EQ(options.port, 1u);
  EXPECT_EQ(options.speed, 3u);
  EXPECT_EQ(options.flashEraseAll, 0u);
  EXPECT_EQ(store.values().size(), 3u);
  // The sheet then opens with COM1 and 38400 checked.
  const PreferencesChoice choice = PreferencesFromOptions(options);
  EXPECT_EQ(choice.port, 1);
  EXPECT_EQ(choice.speed, 3);
  // A second start is not a first run.
  EXPECT_FALSE(LoadOptions(options, store));
}

TEST(Options, DefaultsForMissingOrUnfittingValues) {
  MemoryOptionsStore store;
  store.SetExists(true);
  store.values()["MPEGProjectDataFormat"] = uint32_t{2};  // without its tab: another value
  store.values()["MatchCase"] = std::string("yes");       // not a number
  store.values()["DVBInitialDir"] = std::string(300, 'x');
  Options options;
  options.dvbInitialDir = "/left/over/";
  EXPECT_FALSE(LoadOptions(options, store));
  EXPECT_EQ(options.streamThreshold, 32768u);
  EXPECT_EQ(options.streamMode, 2u);
  EXPECT_EQ(options.mpegProjectAddMarkers, 1u);
  EXPECT_EQ(options.mpegProjectDataFormat, 0u);
  EXPECT_EQ(options.matchCase, 0u);
  EXPECT_EQ(options.dvbInitialDir, "");
  EXPECT_EQ(options.port, 0u);

  store.values()["MPEGProjectDataFormat\t"] = uint32_t{2};
  store.values()["StreamThreshold"] = uint32_t{1000};
  store.values()["TXTInitialDir"] = std::string("/texts/");
  LoadOptions(options, store);
  EXPECT_EQ(options.mpegProjectDataFormat, 2u);
  EXPECT_EQ(options.streamThreshold, 1000u);
  EXPECT_EQ(options.txtInitialDir, "/texts/");
}

TEST(Options, SaveWritesEveryNumberAndOnlyTheFoldersThatAreSet) {
  MemoryOptionsStore store;
  Options options;
  SaveOptions(options, store);  // no store yet: nothing is written, and it is not created
  EXPECT_FALSE(store.Exists());
  EXPECT_TRUE(store.values().empty());

  store.SetExists(true);
  options.jpgInitialDir = "/pictures/";
  options.decimal = 1;
  SaveOptions(options, store);
  EXPECT_EQ(std::get<uint32_t>(store.values().at("Decimal")), 1u);
  EXPECT_EQ(std::get<uint32_t>(store.values().at("MPEGProjectDataFormat\t")), 0u);
  EXPECT_EQ(std::get<std::string>(store.values().at("JPGInitialDir")), "/pictures/");
  EXPECT_EQ(store.values().count("DVBInitialDir"), 0u);
  EXPECT_EQ(store.values().size(), 25u + 2u);  // numbers, one folder, the device path

  Options reloaded;
  LoadOptions(reloaded, store);
  EXPECT_EQ(reloaded.decimal, 1u);
  EXPECT_EQ(reloaded.jpgInitialDir, "/pictures/");
}

TEST(Options, UnavailableStoreLeavesDefaultsSilently) {
  MemoryOptionsStore store;
  store.SetUnavailable(true);
  Options options;
  EXPECT_FALSE(LoadOptions(options, store));
  EXPECT_EQ(options.port, 0u);
  EXPECT_EQ(options.streamThreshold, 32768u);
}

// A configuration that cannot be written: the store takes the first values but never comes to
// exist, so there is no first-run notice on this start or any later one.
TEST(Options, AStoreThatCannotBeWrittenIsNoFirstRun) {
  MemoryOptionsStore store;
  store.SetUnwritable(true);
  for (int start = 0; start < 2; ++start) {
    Options options;
    EXPECT_FALSE(LoadOptions(options, store)) << "start " << start;
    EXPECT_EQ(options.port, 0u);
    EXPECT_FALSE(store.Exists());
  }
}

TEST(Preferences, ButtonsFollowTheOptions) {
  Options options;
  options.port = 9;  // no button for it
  options.speed = 2;
  options.pasteBefore = 2;  // only 1 means before
  options.decimal = 1;
  const PreferencesChoice choice = PreferencesFromOptions(options);
  EXPECT_EQ(choice.port, 0);
  EXPECT_EQ(choice.speed, 2);
  EXPECT_FALSE(choice.pasteBefore);
  EXPECT_TRUE(choice.decimal);
  EXPECT_FALSE(choice.hexadecimal);
}

TEST(Preferences, ApplyReportsAPidModeChangeOnly) {
  Options options;
  PreferencesChoice choice = PreferencesFromOptions(options);
  EXPECT_FALSE(ApplyPreferences(options, choice));  // OK without changes: no rebuild

  choice.decimal = true;
  choice.hexadecimal = false;
  choice.port = 5;
  choice.speed = 0;  // none checked: the speed keeps its value
  choice.eraseAll = true;
  choice.pasteBefore = true;
  options.speed = 3;
  EXPECT_TRUE(ApplyPreferences(options, choice));
  EXPECT_EQ(options.decimal, 1u);
  EXPECT_EQ(options.port, 5u);
  EXPECT_EQ(options.speed, 3u);
  EXPECT_EQ(options.flashEraseAll, 1u);
  EXPECT_EQ(options.pasteBefore, 1u);
  EXPECT_FALSE(ApplyPreferences(options, choice));
}

TEST(Preferences, TypedDevicePathIsKeptAndClearedByANumberedPort) {
  Options options;
  PreferencesChoice choice;
  choice.serialDevice = "/dev/ttyUSB0";
  ApplyPreferences(options, choice);
  EXPECT_EQ(options.serialDevice, "/dev/ttyUSB0");
  EXPECT_EQ(PreferencesFromOptions(options).port, 0);

  choice.serialDevice.clear();
  choice.port = 2;
  ApplyPreferences(options, choice);
  EXPECT_EQ(options.serialDevice, "");
  EXPECT_EQ(options.port, 2u);

  // The cleared path is written, so it does not come back at the next start.
  MemoryOptionsStore store;
  store.SetExists(true);
  store.values()["SerialDevice"] = std::string("/dev/ttyUSB0");
  SaveOptions(options, store);
  EXPECT_EQ(std::get<std::string>(store.values().at("SerialDevice")), "");
}

}  // namespace
}  // namespace pelorus
