#include "scanner/ui/graph_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include "common/strfmt.h"
#include "scanner/messages.h"
#include "scanner/ui/plot_widget.h"

namespace pelorus {
namespace {

namespace m = msg::scanner;

QString Text(const char* text) { return QString::fromUtf8(text); }

QSlider* MakeSlider(const char* name, int low, int high, int value, QLabel* label) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setObjectName(QString::fromLatin1(name));
  slider->setRange(low, high);
  const auto show = [label](int v) {
    label->setText(QString::fromStdString(Format(m::kSliderValue, v)));
  };
  QObject::connect(slider, &QSlider::valueChanged, label, show);
  slider->setValue(value);
  show(value);
  return slider;
}

}  // namespace

GraphWindow::GraphWindow(GuiContext& context, const ScanData& scan,
                         std::unique_ptr<SignalSession> session)
    : QDialog(context.window),
      context_(context),
      session_(std::move(session)),
      settings_(scan.settings) {
  setObjectName(QStringLiteral("graphWindow"));
  setWindowTitle(Text(m::kGraphTitle));
  setSizeGripEnabled(true);
  std::vector<ChannelMarker> markers;
  if (context.state.settingsImage && context.selectedRows)
    markers = MarkersFromRows(*context.state.settingsImage, context.selectedRows(), scan.settings);
  plot_ = new PlotWidget(scan, std::move(markers), context.ui, this);
  plot_->searchRunning = [this] { return searching_; };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot_);
  resize(760, 480);
  tuning_ = new TuningWindow(*this, scan.settings, this);
  plot_->pointerMoved = [this](std::optional<int> mhz) { tuning_->ShowFrequency(mhz); };
}

GraphWindow::~GraphWindow() {
  if (results_) results_->deleteLater();
  // The session's destructor sends the end command and closes the port.
  session_.reset();
}

QListWidget* GraphWindow::results() const {
  return results_ ? results_->findChild<QListWidget*>(QStringLiteral("results")) : nullptr;
}

void GraphWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The tuning window sits immediately left of the graph, top-aligned, keeping its own size;
  // a graph near the screen's left edge moves over to make room. Its frame is only known once
  // it is shown.
  tuning_->show();
  const int tuningWidth = tuning_->frameGeometry().width();
  if (frameGeometry().left() < tuningWidth) move(x() + tuningWidth - frameGeometry().left(), y());
  tuning_->move(frameGeometry().left() - tuningWidth, frameGeometry().top());
}

void GraphWindow::closeEvent(QCloseEvent* event) {
  if (searching_) {
    CloseOrAbort();
    event->ignore();
    return;
  }
  tuning_->hide();
  QDialog::closeEvent(event);
}

bool GraphWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == results_ && event->type() == QEvent::Close && searching_) {
    event->ignore();
    CloseOrAbort();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void GraphWindow::ClearRanges() { plot_->ClearRanges(); }

void GraphWindow::CloseOrAbort() {
  if (!searching_) {
    close();
    return;
  }
  abort_ = true;
  context_.ui.ShowMessage(m::kAbortAcknowledged, Icon::kInformation);
}

void GraphWindow::StartLockSearch() {
  if (searching_) return;
  if (plot_->ranges().empty()) {
    context_.ui.ShowMessage(m::kSelectRangeFirst, Icon::kInformation);
    return;
  }
  if (!session_) return;
  searching_ = true;
  abort_ = false;
  tuning_->SetSearching(true);

  if (results_) results_->deleteLater();
  results_ = new QDialog(this);
  results_->setObjectName(QStringLiteral("resultsWindow"));
  results_->setWindowTitle(Text(m::kResultsTitle));
  auto* list = new QListWidget(results_);
  list->setObjectName(QStringLiteral("results"));
  list->setMinimumWidth(420);
  // The search's own step and sweep width above its lines: a sweep of 0 MHz locks only onto a
  // carrier the step lands on, and the user should see that it was 0.
  auto* settings = new QLabel(
      QString::fromStdString(Format(m::kSearchSettings, tuning_->Step(), tuning_->Width())),
      results_);
  settings->setObjectName(QStringLiteral("searchSettings"));
  auto* resultsLayout = new QVBoxLayout(results_);
  resultsLayout->addWidget(settings);
  resultsLayout->addWidget(list);
  results_->resize(460, 300);
  results_->move(frameGeometry().left(), std::max(0, frameGeometry().bottom() - 300));
  results_->installEventFilter(this);
  results_->show();

  LockSearchRequest request;
  request.ranges = plot_->ranges();
  request.stepMhz = tuning_->Step();
  request.widthMhz = tuning_->Width();
  request.autoAdd = tuning_->AutoAdd();
  LockSearchEvents events;
  QPointer<QDialog> window = results_;
  events.searching = [this](int mhz) { plot_->SetSearchMarker(mhz); };
  events.line = [window](const std::string& line) {
    if (!window) return;
    auto* lines = window->findChild<QListWidget*>(QStringLiteral("results"));
    lines->addItem(QString::fromStdString(line));
    lines->setCurrentRow(lines->count() - 1);
  };
  events.recordAdded = [this] { context_.ui.RefillChannelList(); };
  BusyCursor busy(context_.ui);
  RunLockSearch(*session_, settings_, request, context_.state, abort_, events, busy);
  busy.End();
  searching_ = false;
  tuning_->SetSearching(false);
  plot_->SetSearchMarker(std::nullopt);
}

TuningWindow::TuningWindow(GraphWindow& graph, const ScanSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Tool), graph_(graph) {
  setObjectName(QStringLiteral("tuningWindow"));
  setWindowTitle(Text(m::kTuningTitle));
  auto* widthLabel = new QLabel;
  auto* stepLabel = new QLabel;
  widthLabel->setObjectName(QStringLiteral("widthValue"));
  stepLabel->setObjectName(QStringLiteral("stepValue"));
  width_ = MakeSlider("sweepWidth", 0, 40, 0, widthLabel);
  step_ = MakeSlider("step", 1, 20, 1, stepLabel);
  autoAdd_ = new QCheckBox(Text(m::kAutoAdd));
  autoAdd_->setObjectName(QStringLiteral("autoAdd"));
  frequency_ = new QLabel;
  frequency_->setObjectName(QStringLiteral("pointerFrequency"));
  frequency_->setMinimumWidth(80);
  auto* h = new QLabel(QStringLiteral("H"));
  auto* v = new QLabel(QStringLiteral("V"));
  h->setStyleSheet(QStringLiteral("color: rgb(0,160,0); font-weight: bold"));
  v->setStyleSheet(QStringLiteral("color: rgb(255,0,0); font-weight: bold"));
  h->setVisible(IncludesHorizontal(settings.mode));
  v->setVisible(IncludesVertical(settings.mode));
  scan_ = new QPushButton(Text(m::kQpskScan));
  close_ = new QPushButton(Text(m::kClose));
  clear_ = new QPushButton(Text(m::kClearRanges));
  scan_->setObjectName(QStringLiteral("qpskScan"));
  close_->setObjectName(QStringLiteral("close"));
  clear_->setObjectName(QStringLiteral("clear"));
  connect(scan_, &QPushButton::clicked, this, [this] { graph_.StartLockSearch(); });
  connect(close_, &QPushButton::clicked, this, [this] { graph_.CloseOrAbort(); });
  connect(clear_, &QPushButton::clicked, this, [this] { graph_.ClearRanges(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Sweep")), 0, 0);
  grid->addWidget(width_, 0, 1);
  grid->addWidget(widthLabel, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Step")), 1, 0);
  grid->addWidget(step_, 1, 1);
  grid->addWidget(stepLabel, 1, 2);
  grid->addWidget(autoAdd_, 2, 0, 1, 3);
  grid->addWidget(h, 3, 0);
  grid->addWidget(v, 3, 1);
  grid->addWidget(frequency_, 3, 2);
  grid->addWidget(scan_, 4, 0, 1, 3);
  grid->addWidget(clear_, 5, 0, 1, 3);
  grid->addWidget(close_, 6, 0, 1, 3);
}

int TuningWindow::Width() const { return width_->value(); }
int TuningWindow::Step() const { return step_->value(); }
bool TuningWindow::AutoAdd() const { return autoAdd_->isChecked(); }

void TuningWindow::ShowFrequency(std::optional<int> mhz) {
  frequency_->setText(mhz ? QString::fromStdString(Format(m::kMhzLabel, *mhz)) : QString());
}

void TuningWindow::SetSearching(bool searching) {
  scan_->setEnabled(!searching);
  clear_->setEnabled(!searching);
  close_->setText(Text(searching ? m::kCancel : m::kCloseAfterSearch));
}

void TuningWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  graph_.CloseOrAbort();
}

}  // namespace pelorus
