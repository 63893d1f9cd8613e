#include "scanner/ui/graph_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include "channels/undo_edits.h"
#include "common/strfmt.h"
#include "scanner/messages.h"
#include "scanner/ui/plot_widget.h"
#include "serial/ui/gui_front_end.h"

namespace pelorus {
namespace {

namespace m = msg::scanner;

constexpr int kGraphWidth = 760;
constexpr int kGraphHeight = 480;
constexpr int kResultsWidth = 460;
constexpr int kResultsHeight = 300;

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

GraphWindow::GraphWindow(const GuiContext& context, const ScanData& scan,
                         std::unique_ptr<ScannerLink> link)
    : QDialog(context.window), context_(context), link_(std::move(link)), settings_(scan.settings) {
  setObjectName(QStringLiteral("graphWindow"));
  setWindowTitle(Text(m::kGraphTitle));
  setSizeGripEnabled(true);
  // The main window stays usable while the graph is open; the two windows stay above it.
  setWindowModality(Qt::NonModal);
  std::vector<ChannelMarker> markers;
  if (context.state.settingsImage && context.selectedRows)
    markers = MarkersFromRows(*context.state.settingsImage, context.selectedRows(), scan.settings);
  plot_ = new PlotWidget(scan, std::move(markers), context.ui, this);
  plot_->searchRunning = [this] { return searching_; };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot_);
  resize(kGraphWidth, kGraphHeight);
  // Owned by the main window as the graph is, so that both stay above it; the graph deletes it.
  tuning_ = new TuningWindow(*this, scan.settings, context.window ? context.window : this);
  plot_->pointerMoved = [this](std::optional<int> mhz) { tuning_->ShowFrequency(mhz); };
  frontEnd_ = new GuiFrontEnd(context_.ui, this);
  if (link_) {
    closingInterrupt_ = std::make_unique<SerialLink::InterruptScope>(
        link_->link, [this] { return closing_.load(); });
  }
}

GraphWindow::~GraphWindow() {
  // A search in progress ends with the frequency being read cut short.
  closing_ = true;
  worker_.RequestStop();
  worker_.Join();
  closingInterrupt_.reset();
  if (results_) delete results_.data();
  delete tuning_;
  // The session's destructor sends the end command and closes the port.
  link_.reset();
}

QListWidget* GraphWindow::results() const {
  return results_ ? results_->findChild<QListWidget*>(QStringLiteral("results")) : nullptr;
}

void GraphWindow::ShowBoth() {
  show();
  tuning_->show();
  PlaceBesideEachOther();
  raise();
  activateWindow();
}

void GraphWindow::PlaceBesideEachOther() {
  // The tuning window sits immediately left of the graph, top-aligned, keeping its own size;
  // the pair is centred on the main window's screen and made to fit it.
  QScreen* screen = context_.window ? context_.window->screen() : this->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize graphFrame = frameGeometry().size() - size();
  const QSize tuningSize = tuning_->frameGeometry().size();
  const int graphWidth =
      std::max(minimumSizeHint().width(),
               std::min(width(), area.width() - tuningSize.width() - graphFrame.width()));
  const int graphHeight =
      std::max(minimumSizeHint().height(), std::min(height(), area.height() - graphFrame.height()));
  resize(graphWidth, graphHeight);
  const int pairWidth = tuningSize.width() + graphWidth + graphFrame.width();
  const int pairHeight = std::max(tuningSize.height(), graphHeight + graphFrame.height());
  const int left = area.left() + std::max(0, (area.width() - pairWidth) / 2);
  const int top = area.top() + std::max(0, (area.height() - pairHeight) / 2);
  tuning_->move(left, top);
  move(left + tuningSize.width(), top);
}

void GraphWindow::closeEvent(QCloseEvent* event) {
  if (searching_) {
    CloseOrAbort();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void GraphWindow::reject() { CloseOrAbort(); }

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
    tuning_->hide();
    QDialog::reject();
    return;
  }
  // The search stops before the next frequency; the one being searched is completed.
  worker_.RequestStop();
  context_.ui.ShowMessage(m::kAbortAcknowledged, Icon::kInformation);
}

void GraphWindow::AddFound(const ChannelRecord& record) {
  // A change of the list outside a menu command is an edit of its own, which Undo takes back.
  RecordEdit edit(context_.state, UndoSelection{});
  AppendFoundChannel(context_.state, record);
  edit.Commit(UndoSelection{});
  context_.ui.RefillChannelList();
}

void GraphWindow::StartLockSearch() {
  if (searching_) return;
  if (plot_->ranges().empty()) {
    context_.ui.ShowMessage(m::kSelectRangeFirst, Icon::kInformation);
    return;
  }
  if (!link_) return;
  searching_ = true;
  tuning_->SetSearching(true);

  if (results_) results_->deleteLater();
  results_ = new QDialog(this);
  results_->setObjectName(QStringLiteral("resultsWindow"));
  results_->setWindowTitle(Text(m::kResultsTitle));
  auto* list = new QListWidget(results_);
  list->setObjectName(QStringLiteral("results"));
  list->setMinimumWidth(kResultsWidth - 40);
  // The search's own step and sweep width above its lines: a sweep of 0 MHz locks only onto a
  // carrier the step lands on, and the user should see that it was 0.
  auto* searchSettings = new QLabel(
      QString::fromStdString(Format(m::kSearchSettings, tuning_->Step(), tuning_->Width())),
      results_);
  searchSettings->setObjectName(QStringLiteral("searchSettings"));
  auto* resultsLayout = new QVBoxLayout(results_);
  resultsLayout->addWidget(searchSettings);
  resultsLayout->addWidget(list);
  results_->resize(kResultsWidth, kResultsHeight);
  const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1366, 768);
  results_->move(std::clamp(frameGeometry().left(), area.left(), area.right() - kResultsWidth),
                 std::clamp(frameGeometry().bottom() - kResultsHeight, area.top(),
                            area.bottom() - kResultsHeight));
  results_->installEventFilter(this);
  results_->show();

  LockSearchRequest request;
  request.ranges = plot_->ranges();
  request.stepMhz = tuning_->Step();
  request.widthMhz = tuning_->Width();
  request.autoAdd = tuning_->AutoAdd();
  // Every event comes on the worker's thread and is shown on this one, in order; none is shown
  // once the window is gone.
  QPointer<GraphWindow> self(this);
  const auto onGui = [self](std::function<void(GraphWindow&)> act) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, act = std::move(act)] {
          if (self) act(*self);
        },
        Qt::QueuedConnection);
  };
  LockSearchEvents events;
  events.searching = [onGui](int mhz) {
    onGui([mhz](GraphWindow& graph) { graph.plot_->SetSearchMarker(mhz); });
  };
  events.line = [onGui](const std::string& line) {
    onGui([text = QString::fromStdString(line)](GraphWindow& graph) {
      if (QListWidget* lines = graph.results()) {
        lines->addItem(text);
        lines->setCurrentRow(lines->count() - 1);
      }
    });
  };
  events.addRecord = [onGui](const ChannelRecord& record) {
    onGui([record](GraphWindow& graph) { graph.AddFound(record); });
  };
  Worker::Callbacks callbacks;
  callbacks.finished = [onGui](const RunResult& result) {
    onGui([result](GraphWindow& graph) { graph.SearchEnded(result); });
  };
  ScannerLink& scanner = *link_;
  GuiFrontEnd& frontEnd = *frontEnd_;
  const ScanSettings settings = settings_;
  worker_.Start(
      [&scanner, &frontEnd, settings, request, events](RunControl& control) {
        return RunLockSearch(scanner.session, settings, request, control, frontEnd, events);
      },
      callbacks);
}

void GraphWindow::SearchEnded(const RunResult& result) {
  worker_.Join();
  searching_ = false;
  tuning_->SetSearching(false);
  plot_->SetSearchMarker(std::nullopt);
  ShowRunResult(context_.ui, result);
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

void TuningWindow::reject() { graph_.CloseOrAbort(); }

}  // namespace pelorus
