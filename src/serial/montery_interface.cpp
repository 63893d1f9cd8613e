#include "serial/montery_interface.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "channels/channel_name.h"
#include "common/messages.h"
#include "common/program_files.h"
#include "common/strfmt.h"
#include "common/user_folders.h"
#include "receiver/receiver_memory.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_transport.h"
#include "serial/messages.h"
#include "serial/serial_port.h"
#include "serial/serial_timing.h"

namespace pelorus {
namespace {

constexpr int kHorizontalCode = 98;
constexpr int kVerticalCode = 99;
constexpr int kSeparateKuOffset = 2;
// The marker rows' names start with a three-character decoration ("== ") before the satellite.
constexpr size_t kMarkerPrefixLength = 3;

}  // namespace

bool SendableToMontery(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '"';
  });
}

std::string MonteryProfile::TranslatedName(const std::string& satellite) const {
  const auto name =
      ini_.Value(msg::kMonteryTranslationSection, satellite, kMonteryTranslationLength);
  return name && !name->empty() && SendableToMontery(*name) ? *name : satellite;
}

bool MonteryProfile::SeparateKu(const std::string& satellite) const {
  const auto value =
      ini_.Value(msg::kMonterySeparateKuSection, satellite, kMonterySeparateKuLength);
  return value && (*value == "Y" || *value == "y");
}

std::string MonteryProfilePath() {
  const std::filesystem::path user =
      std::filesystem::path(UserConfigFolder()) / msg::kMonteryProfileName;
  std::error_code ignored;
  if (std::filesystem::is_regular_file(user, ignored)) return user.string();
  return (std::filesystem::path(ShippedDataFolder()) / msg::kMonteryProfileName).string();
}

std::optional<ProfileIni> LoadMonteryProfile(const std::string& named, std::string& why) {
  if (!named.empty()) return ProfileIni::Load(named, &why);
  const std::filesystem::path user =
      std::filesystem::path(UserConfigFolder()) / msg::kMonteryProfileName;
  std::error_code ignored;
  // Whatever stands under the user's name is meant as the profile, a folder or a link as well.
  if (std::filesystem::exists(std::filesystem::symlink_status(user, ignored)))
    return ProfileIni::Load(user.string(), &why);
  const std::string shipped =
      (std::filesystem::path(ShippedDataFolder()) / msg::kMonteryProfileName).string();
  return ProfileIni::Load(shipped).value_or(ProfileIni());
}

std::optional<std::string> MonterySatellite(std::span<const ChannelRecord> records, size_t index) {
  if (index >= records.size()) return std::nullopt;
  for (size_t row = index + 1; row-- > 0;) {
    if (!records[row].IsMarker()) continue;
    const std::string name = DecodeChannelName(records[row]);
    if (name.size() <= kMarkerPrefixLength) return std::string();
    std::string satellite = name.substr(kMarkerPrefixLength);
    satellite = satellite.substr(0, satellite.find_first_of("- *"));
    std::erase_if(satellite, [](char c) { return !SendableToMontery(std::string_view(&c, 1)); });
    return satellite;
  }
  return std::nullopt;
}

MonteryChannel BuildMonteryChannel(const std::string& satellite, const ChannelRecord& record,
                                   const MonteryProfile& profile) {
  const bool vertical = (record.polarity & 1) != 0;
  const bool separateKu = record.frequency > kMonteryKuBandMhz && profile.SeparateKu(satellite);
  MonteryChannel channel;
  channel.text = satellite + (vertical ? " V" : " H") + (separateKu ? "K" : "") + " MPEG2";
  channel.sentText = channel.text.substr(0, kMonterySentTextLength);
  channel.code =
      (vertical ? kVerticalCode : kHorizontalCode) - (separateKu ? kSeparateKuOffset : 0);
  return channel;
}

std::string MonterySatelliteCommand(const std::string& name) {
  return Format(msg::kMonterySatelliteCommand, name.c_str());
}

std::string MonteryChannelCommand(const std::string& sentText, int code) {
  return Format(msg::kMonteryChannelCommand, sentText.c_str(), code);
}

MonteryMonitor::MonteryMonitor(EditorState& state, SerialLink& link, const MonteryProfile& profile,
                               MonterySent& sent)
    : state_(state), link_(link), profile_(profile), sent_(sent) {}

void MonteryMonitor::Show() {
  if (onViewChanged) onViewChanged(view_);
}

std::optional<uint16_t> MonteryMonitor::ReadCurrentChannel() {
  if (!state_.aspiModule) return std::nullopt;
  std::array<uint8_t, 2> answer{};
  if (!ExecScsiCommandFully(*state_.aspiModule, ReadMemoryBlock(kCurrentChannelAddress, 2),
                            ScsiDirection::kIn, answer)) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(answer[0] << 8 | answer[1]);
}

std::vector<std::string> MonteryMonitor::Tick() {
  const std::optional<uint16_t> current = ReadCurrentChannel();
  // A failed read, or a channel the loaded list does not hold, leaves everything as it is.
  if (!current || !state_.settingsImage || *current >= state_.settingsImage->size()) return {};
  const std::vector<ChannelRecord>& records = *state_.settingsImage;
  const ChannelRecord& record = records[*current];

  bool changed = false;
  const std::string receiverChannel =
      Format(msg::kMonteryReceiverChannel, *current + 1, DecodeChannelName(record).c_str());
  if (receiverChannel != view_.receiverChannel) {
    view_.receiverChannel = receiverChannel;
    changed = true;
  }
  const std::optional<std::string> satellite = MonterySatellite(records, *current);
  if (satellite && *satellite != view_.satellite) {
    view_.satellite = *satellite;
    changed = true;
  }
  // The satellite comes from a marker row above the channel; a list without one shows nothing
  // there, which would look like a fault of the device.
  const std::string note = !satellite ? Format(msg::kMonteryNoMarkerAbove, *current + 1)
                           : satellite->empty()
                               ? Format(msg::kMonteryMarkerNamesNothing, *current + 1)
                               : std::string();
  if (note != view_.note) {
    view_.note = note;
    changed = true;
  }
  if (!satellite || record.IsMarker()) {
    if (changed) Show();
    return {};
  }
  const MonteryChannel channel = BuildMonteryChannel(*satellite, record, profile_);
  if (channel.text != view_.channelText) {
    view_.channelText = channel.text;
    changed = true;
  }
  if (changed) Show();
  if (sent_.satellite == *satellite && sent_.channelText == channel.sentText) return {};
  return Send(*satellite, channel);
}

std::vector<std::string> MonteryMonitor::Send(const std::string& satellite,
                                              const MonteryChannel& channel) {
  // Whatever happens on the port, this change is done with: a port that cannot be opened is
  // reported once, not on every tick.
  sent_.satellite = satellite;
  sent_.channelText = channel.sentText;
  if (!link_.Open(SerialPortPath(state_), kMonteryBaud)) return {};
  // The device takes each command whole; nothing else on the line is paced for it.
  link_.slowSend = false;
  std::vector<std::string> written;
  const std::string satelliteCommand = MonterySatelliteCommand(profile_.TranslatedName(satellite));
  view_.commands = satelliteCommand + "\n";
  Show();
  link_.Pause(SerialPause(100));
  if (link_.Write(satelliteCommand) == satelliteCommand.size()) written.push_back(satelliteCommand);
  link_.Pause(SerialPause(100));
  const std::string channelCommand = MonteryChannelCommand(channel.sentText, channel.code);
  view_.commands += channelCommand;
  Show();
  if (link_.Write(channelCommand) == channelCommand.size()) written.push_back(channelCommand);
  link_.Pause(SerialPause(500));
  link_.Close();
  return written;
}

bool MonteryInterfaceAllowed(const EditorState& state, Ui& ui) {
  if (!RequireScsi(state, ui)) return false;
  if (state.HasSettings()) return true;
  ui.ShowMessage(msg::kLoadSettingsFirst, Icon::kStop);
  return false;
}

}  // namespace pelorus
