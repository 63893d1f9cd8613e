#include "app/ui/signal_stop.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include "common/temporary_files.h"

namespace pelorus {
namespace {

// The scope lives as long as the editor: every signal is a stop request first.
SignalStopScope* editorScope = nullptr;

}  // namespace

SignalStop::SignalStop(QWidget* mainWindow) : QObject(mainWindow), mainWindow_(mainWindow) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  RemoveTemporaryFileOnSignals();
  if (editorScope == nullptr) editorScope = new SignalStopScope;
  SignalStopScope::WakeOnSignal(pipe_[1]);
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SignalStop::Arrived);
}

SignalStop::~SignalStop() {
  SignalStopScope::WakeOnSignal(-1);
  for (const int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void SignalStop::Arrived() {
  char bytes[16];
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  notifier_->setEnabled(false);
  CloseNext();
}

void SignalStop::CloseNext() {
  // Modal dialogs close from the top down; each one's own closing stops its run and lets the
  // command that opened it finish, before the next is closed.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->close();
    QTimer::singleShot(50, this, &SignalStop::CloseNext);
    return;
  }
  mainWindow_->close();
}

}  // namespace pelorus
