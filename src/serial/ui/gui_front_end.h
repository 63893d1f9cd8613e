#pragma once

#include <QObject>

#include "serial/run_ui.h"

namespace pelorus {

// The desktop's front end for long runs: a call from a worker is queued to this object's (the
// GUI) thread and the worker waits for it. The wait gives up once the run is asked to stop, so
// that a window ending its worker never waits on a question the worker is waiting on; a call
// that was given up before it started is dropped, and none runs after this object is gone.
class GuiFrontEnd : public QObject, public FrontEnd {
 public:
  GuiFrontEnd(Ui& ui, QObject* parent) : QObject(parent), ui_(ui) {}
  bool Call(const std::function<void(Ui&)>& call, const RunControl& control) override;

 private:
  Ui& ui_;
};

}  // namespace pelorus
