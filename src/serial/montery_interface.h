#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"
#include "receiver/channel_record.h"
#include "serial/profile_ini.h"
#include "serial/serial_link.h"

namespace pelorus {

// The Montery 140 keeps a satellite and a channel of its own in step with the receiver's. It
// listens on the serial port at 9600 bit/s and takes two commands: the satellite ("#70") and
// the channel text with its code ("#71").

inline constexpr int kMonteryBaud = 9600;
inline constexpr int kMonteryTickMs = 250;
inline constexpr size_t kMonterySentTextLength = 12;
inline constexpr size_t kMonteryTranslationLength = 49;
inline constexpr size_t kMonterySeparateKuLength = 9;
// Above this many MHz a channel is in the Ku band; at or below it, in the C band.
inline constexpr int kMonteryKuBandMhz = 4200;

// The profile: "pelorus.ini", read-only. The device's name for a satellite, and whether a
// satellite's Ku-band channels are a separate satellite on the device.
class MonteryProfile {
 public:
  MonteryProfile() = default;
  explicit MonteryProfile(ProfileIni ini) : ini_(std::move(ini)) {}

  // The "Name Translation" entry (at most 49 characters); the name itself when there is none,
  // the entry is empty (the device cannot show a satellite without a name) or it holds bytes
  // that cannot be sent.
  std::string TranslatedName(const std::string& satellite) const;
  // The "Seperate Ku" entry's first 9 characters are "Y" in either case.
  bool SeparateKu(const std::string& satellite) const;

 private:
  ProfileIni ini_;
};

// Where the profile is read from: "pelorus.ini" in the user's configuration folder, beside the
// stored options ($XDG_CONFIG_HOME/Haldane, by default ~/.config/Haldane), else the one that
// ships with the program. The program's own folder is not the user's to edit.
std::string MonteryProfilePath();

// The profile to use: `named` when given; else the user's when there is one; else the one that
// ships, or none. A named or user profile that cannot be read whole (over the bound, not a file,
// unreadable) gives nothing, with "PATH: reason" in `why`: the user meant it to be used.
std::optional<ProfileIni> LoadMonteryProfile(const std::string& named, std::string& why);

// What may go between the quotes of a Montery command: no control bytes, no quote. A name with
// such bytes could end the command early and start another one.
bool SendableToMontery(std::string_view text);

// The satellite of the channel at `index`: the name of the nearest marker row at or above it,
// from its fourth character on, cut at the first '-', ' ' or '*', without the bytes that cannot
// be sent. Nothing without a marker row.
std::optional<std::string> MonterySatellite(std::span<const ChannelRecord> records, size_t index);

struct MonteryChannel {
  std::string text;      // shown in full: "HOTSAT V MPEG2"
  std::string sentText;  // its first 12 characters: "HOTSAT V MPE"
  int code = 0;          // 98 H, 99 V; 96 and 97 for a separate Ku satellite
};
MonteryChannel BuildMonteryChannel(const std::string& satellite, const ChannelRecord& record,
                                   const MonteryProfile& profile);

std::string MonterySatelliteCommand(const std::string& name);
std::string MonteryChannelCommand(const std::string& sentText, int code);

// What the Montery 140 window shows.
struct MonteryView {
  std::string receiverChannel;  // "%d - %s": the receiver's channel number and name
  std::string satellite;        // the current Montery satellite
  std::string channelText;      // the current Montery channel text, in full
  std::string commands;         // the last commands sent, a line each
  std::string note;             // why the satellite is empty, while it is
};

// The satellite and channel text last sent. They outlive the window, so reopening it does not
// send the same channel again; at first they match nothing, so the first tick sends both.
struct MonterySent {
  std::optional<std::string> satellite;
  std::optional<std::string> channelText;
};

// One tick after another of the Montery 140 window: reads the receiver's current channel over
// SCSI and, when the satellite or the channel text changed since the last sending, sends the
// two commands on the serial port, opened for them at 9600 bit/s and closed after them.
class MonteryMonitor {
 public:
  MonteryMonitor(EditorState& state, SerialLink& link, const MonteryProfile& profile,
                 MonterySent& sent);

  // One tick. Returns the commands written on the port, none when nothing was sent (nothing
  // changed, the SCSI read failed, or the port could not be opened).
  std::vector<std::string> Tick();

  const MonteryView& view() const { return view_; }
  // Called whenever the view changes, also between the two commands of a sending.
  std::function<void(const MonteryView&)> onViewChanged;

 private:
  std::optional<uint16_t> ReadCurrentChannel();
  std::vector<std::string> Send(const std::string& satellite, const MonteryChannel& channel);
  void Show();

  EditorState& state_;
  SerialLink& link_;
  const MonteryProfile& profile_;
  MonterySent& sent_;
  MonteryView view_;
};

// The menu command's checks: the SCSI link ("Function unavailable without SCSI interface"),
// then loaded settings ("Load settings first!"). True when the window may open.
bool MonteryInterfaceAllowed(const EditorState& state, Ui& ui);

}  // namespace pelorus
