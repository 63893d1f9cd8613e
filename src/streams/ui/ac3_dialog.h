#pragma once

#include <QDialog>

#include "streams/ac3_play.h"

class QLabel;

namespace pelorus {

// "AC3 Decoder": the bytes read, the poll count and the rate while the audio plays. "Stop" or
// closing only asks the playback to stop; the dialog ends when the playback has finished.
class Ac3Dialog : public QDialog {
  Q_OBJECT

 public:
  Ac3Dialog(Ac3Playback& playback, QWidget* parent);

  QLabel* bytesField() const { return bytes_; }
  QLabel* pollsField() const { return polls_; }
  QLabel* rateField() const { return rate_; }
  // "The current service carries no AC-3 audio track...", hidden until the stream shows it.
  QLabel* noTrackNote() const { return noTrack_; }

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Show(const Ac3Display& display);

  Ac3Playback& playback_;
  QLabel* bytes_;
  QLabel* polls_;
  QLabel* rate_;
  QLabel* noTrack_;
  bool started_ = false;
};

}  // namespace pelorus
