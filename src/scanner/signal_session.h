#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "scanner/reply_text.h"
#include "scanner/scan_data.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"

namespace pelorus {

// The receiver's signal subroutine while it runs: uploaded with the port kept open, ended
// with the end command. The destructor ends it on every path.
class SignalSession {
 public:
  SignalSession(SerialLink& link, const EditorState& state, std::string subroutinePath)
      : link_(link), state_(state), subroutinePath_(std::move(subroutinePath)) {}
  ~SignalSession() { End(); }
  SignalSession(const SignalSession&) = delete;
  SignalSession& operator=(const SignalSession&) = delete;

  // Uploads "signal.sbr", waits for the receiver to start it and sets the read time-out.
  bool Start(int timeoutTicks, BusyCursor& busy);
  // Sends the end command, closes the port and clears SlowSend. Harmless when not running.
  void End();
  bool Running() const { return running_; }
  SerialLink& link() { return link_; }

  // The five values of a sweep or lock-search command, SlowSend on.
  void SendCommand(int polarityCode, int a, int b, int highBand, int oscillator);

 private:
  SerialLink& link_;
  const EditorState& state_;
  std::string subroutinePath_;
  bool running_ = false;
};

// Time-outs of the signal subroutine's replies, in ticks of 250 ms.
inline constexpr int kSweepTimeoutTicks = 80;
inline constexpr int kLockTimeoutAfterUpload = 720;

// Sweeps the band of `data.settings` in its segments into `data`, subtracting the calibration.
// The receiver's lines beyond what the tables hold are read and dropped; returns false when
// that happened.
bool SweepBand(SignalSession& session, const CalibrationTable& calibration, ScanData& data);

struct FrequencyRange {
  int startMhz;
  int endMhz;
  bool operator==(const FrequencyRange&) const = default;
};

// Adds a range picked on the plot (ends in either order). False, adding nothing, when either
// end lies within a range already there.
bool AddSelectedRange(std::vector<FrequencyRange>& ranges, int a, int b);

struct LockSearchRequest {
  std::vector<FrequencyRange> ranges;
  int stepMhz = 1;   // 1..20
  int widthMhz = 0;  // 0..40
  bool autoAdd = false;
};

// What a lock search tells its window while it runs. Any may be empty.
struct LockSearchEvents {
  std::function<void(int mhz)> searching;         // the frequency being searched now
  std::function<void(const std::string&)> line;   // a line for the results list
  std::function<void(const LockResult&)> result;  // each searched frequency's result
  std::function<void()> recordAdded;              // a channel was appended to the image
};

// Searches every range in both planes the mode includes. Uploads the subroutine first when
// it is not running. `abort` is checked before every frequency. Returns false when the search
// could not start (the upload failed); the closing line says whether it was aborted.
bool RunLockSearch(SignalSession& session, const ScanSettings& settings,
                   const LockSearchRequest& request, EditorState& state,
                   const std::atomic<bool>& abort, const LockSearchEvents& events,
                   BusyCursor& busy);

}  // namespace pelorus
