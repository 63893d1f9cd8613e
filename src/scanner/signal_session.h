#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "common/worker.h"
#include "scanner/reply_text.h"
#include "scanner/scan_data.h"
#include "serial/run_ui.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"

namespace pelorus {

// The receiver's signal subroutine while it runs: uploaded with the port kept open, ended
// with the end command. The destructor ends it on every path.
class SignalSession {
 public:
  // The port and its speed are taken from `state` now: a scanner keeps the link it started on.
  SignalSession(SerialLink& link, const EditorState& state, std::string subroutinePath);
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
  // After a sweep that was stopped part-way: reads and drops the rest of the receiver's reply
  // (up to its "." or a short silence), so that the next command is understood.
  void SkipRestOfSweep();

 private:
  SerialLink& link_;
  EditorState portState_;  // only the options and the link overrides
  std::string subroutinePath_;
  bool running_ = false;
};

// Time-outs of the signal subroutine's replies, in ticks of 250 ms.
inline constexpr int kSweepTimeoutTicks = 80;
inline constexpr int kLockTimeoutAfterUpload = 720;

// How a sweep of the band ended.
struct SweepOutcome {
  bool truncated = false;  // the receiver's lines beyond what the tables hold were dropped
  bool stopped = false;    // asked to stop before the band was done
  std::string lost;        // the link went away part-way: why ("PORT: the serial line hung up")
  bool Complete() const { return !stopped && lost.empty(); }
};

// Sweeps the band of `data.settings` in its segments into `data`, subtracting the calibration.
// Stops between lines once `control` asks (the link's reads are cut short by the caller), and
// at once when the link is lost.
SweepOutcome SweepBand(SignalSession& session, const CalibrationTable& calibration, ScanData& data,
                       const RunControl& control);

struct FrequencyRange {
  int startMhz;
  int endMhz;
  bool operator==(const FrequencyRange&) const = default;
};

// Adds a range picked on the plot (ends in either order). False, adding nothing, when either
// end lies within a range already there.
bool AddSelectedRange(std::vector<FrequencyRange>& ranges, int a, int b);

// The frequencies a range is searched at: from its start in steps up to and including its end,
// as a band scan includes both of its ends. A step below 1 counts as 1.
std::vector<int> SearchFrequencies(const FrequencyRange& range, int stepMhz);

struct LockSearchRequest {
  std::vector<FrequencyRange> ranges;
  int stepMhz = 1;   // 1..20
  int widthMhz = 0;  // 0..40
  bool autoAdd = false;
};

// What a lock search tells its window while it runs, on the worker's thread. Any may be empty.
struct LockSearchEvents {
  std::function<void(int mhz)> searching;         // the frequency being searched now
  std::function<void(const std::string&)> line;   // a line for the results list
  std::function<void(const LockResult&)> result;  // each searched frequency's result
  // With auto-add: a channel found, for the front end to append to the list on its own thread.
  std::function<void(const ChannelRecord&)> addRecord;
};

// Searches every range in both planes the mode includes, as the body of a Worker: a stop request
// is the abort button, checked before every frequency (the one being searched is completed).
// Uploads the subroutine first when it is not running. Fails when the search cannot start (the
// upload failed, said by the upload) or when the link is lost part-way.
RunResult RunLockSearch(SignalSession& session, const ScanSettings& settings,
                        const LockSearchRequest& request, RunControl& control, FrontEnd& frontEnd,
                        const LockSearchEvents& events);

// Appends a channel the lock search found, as "&Aggiungi Automaticamente Canali" does: a list
// that was never loaded starts with it.
void AppendFoundChannel(EditorState& state, const ChannelRecord& record);

}  // namespace pelorus
