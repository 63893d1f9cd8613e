#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/ui.h"
#include "serial/receive_ring.h"
#include "serial/serial_device.h"

namespace pelorus {

// Where the reader thread shows what arrives while the "Debug Seriale" window is open. The GUI
// implements it; Echo is called on the reader thread and must only queue the text.
class SerialDebugSink {
 public:
  virtual ~SerialDebugSink() = default;
  // Every port open: an old debug window goes away, and a new one opens when `serialDebug`.
  virtual void PortOpened(bool serialDebug) = 0;
  virtual bool WindowShown() const = 0;
  virtual void Echo(std::string_view text) = 0;
};

// The serial port with its reader thread and receive ring. The transfers run on the thread
// that owns the Ui; while they wait for bytes they keep that Ui alive. One thread at a time
// uses a link: a long run on a worker gives the link the worker's Ui for as long as it runs.
class SerialLink {
 public:
  explicit SerialLink(Ui& ui) : ui_(&ui) {}
  ~SerialLink() { Close(); }
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // Opens and configures the port and starts the reader; shows "Unable to open serial port"
  // and returns false when it cannot. Sets the time-out back to 8 ticks. A port that another
  // link of this program holds open is refused, as another program's would be.
  bool Open(const std::string& path, int baud);
  // Harmless when nothing is open. Ends the reader thread before it returns.
  void Close();
  bool IsOpen() const { return device_.IsOpen(); }
  Ui& ui() { return *ui_; }

  // Lends the link another Ui for a scope: the one of the thread that now runs the transfers.
  class UiScope {
   public:
    UiScope(SerialLink& link, Ui& ui) : link_(link), previous_(link.ui_) { link.ui_ = &ui; }
    ~UiScope() { link_.ui_ = previous_; }
    UiScope(const UiScope&) = delete;
    UiScope& operator=(const UiScope&) = delete;

   private:
    SerialLink& link_;
    Ui* previous_;
  };

  // While its check is true, reads and pauses end at once with what they have: a long run that
  // was asked to stop does not wait out the receiver's time-out. Scopes nest: an inner check
  // adds to the outer ones. Made and ended by the thread that runs the transfers (or before it
  // starts).
  class InterruptScope {
   public:
    InterruptScope(SerialLink& link, std::function<bool()> check)
        : link_(link), previous_(link.interrupted_) {
      link.interrupted_ = [outer = previous_, check = std::move(check)] {
        return check() || (outer && outer());
      };
    }
    ~InterruptScope() { link_.interrupted_ = std::move(previous_); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

   private:
    SerialLink& link_;
    std::function<bool()> previous_;
  };

  // Sends the bytes in order (with SlowSend, a pause after each). Returns how many the device
  // took: the count asked for unless it failed or stalled for a whole time-out.
  size_t Write(std::span<const uint8_t> bytes);
  size_t Write(std::string_view text);
  // A 32-bit value, least significant byte first.
  size_t WriteLong(uint32_t value);

  // Fills `buffer` unless the line stays silent for `timeoutTicks` ticks; every byte that
  // arrives restarts the time-out. Returns how many bytes were stored.
  size_t Read(std::span<uint8_t> buffer);
  // One line ended by a carriage return, line feeds dropped, at most buffer.size() - 1 bytes
  // kept and a zero after them. 0 on a time-out or an empty line.
  size_t ReadLine(std::span<char> buffer);
  // Swallows whatever arrives until a whole time-out passes in silence.
  void Drain();
  // Takes every byte waiting in the ring without waiting (the debug terminal's tick).
  std::vector<uint8_t> TakeWaiting();
  // After the last byte of a transfer: waits until the line has sent it all and checks that the
  // other end is still there. False when the line hung up, failed or never drained.
  bool FinishSending();
  // Waits, keeping the Ui alive.
  void Pause(std::chrono::microseconds duration);

  // True once the line hung up or failed while open: reads return at once with what the ring
  // still holds, and LostReason says what happened ("the serial line hung up"). A silent line
  // that is still connected is not lost; its reads end by the time-out.
  bool LinkLost() const;
  std::string LostReason() const;

  void SetDebugSink(SerialDebugSink* sink) { sink_.store(sink); }

  int timeoutTicks = 8;
  bool slowSend = false;
  // Set by the "Rimuovi Errori Seriali" check box; never saved.
  bool serialDebug = false;
  // Left open after an upload for the caller (or the debug terminal) to use.
  bool held = false;

 private:
  void ReaderLoop(std::stop_token stop);
  void ReportOverrun();
  void KeepAliveNow();
  bool Interrupted() const { return interrupted_ && interrupted_(); }

  Ui* ui_;
  std::function<bool()> interrupted_;
  SerialDevice device_;
  std::string path_;
  mutable std::mutex mutex_;  // guards ring_, readerEnded_ and lostReason_
  std::condition_variable dataArrived_;
  std::condition_variable spaceFreed_;
  ReceiveRing ring_;
  bool readerEnded_ = false;
  std::string lostReason_;
  std::atomic<bool> overrunPending_{false};
  std::atomic<SerialDebugSink*> sink_{nullptr};
  int wakePipe_[2] = {-1, -1};
  std::chrono::steady_clock::time_point lastKeepAlive_{};
  std::jthread reader_;
};

}  // namespace pelorus
