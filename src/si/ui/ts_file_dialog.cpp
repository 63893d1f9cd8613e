#include "si/ui/ts_file_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "common/strfmt.h"
#include "si/guide_file.h"
#include "si/guide_text.h"
#include "si/messages.h"
#include "si/si_describe.h"
#include "si/ts_file_listing.h"

namespace pelorus {
namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& caption, const std::string& value) {
  auto* item = new QTreeWidgetItem(parent, {caption, Utf8(value)});
  item->setExpanded(true);
  return item;
}

}  // namespace

TsFileProgressDialog::TsFileProgressDialog(QWidget* owner, Worker& worker, const std::string& path,
                                           TsFileAnalysis& analysis)
    : QDialog(owner), worker_(worker), path_(path), analysis_(analysis) {
  setWindowTitle(msg::si::kAnalyseTsFileTitle);
  auto* layout = new QVBoxLayout(this);
  const std::string name = std::filesystem::path(path).filename().string();
  text_ = new QLabel(Utf8(Format(msg::si::kAnalysingTsFile, name.c_str())), this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  auto* stop = new QPushButton(msg::si::kStopButton, this);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->addWidget(stop, 0, Qt::AlignCenter);
  connect(stop, &QPushButton::clicked, this, [this] { worker_.RequestStop(); });
  resize(420, sizeHint().height());
}

void TsFileProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  QPointer<TsFileProgressDialog> self(this);
  Worker::Callbacks callbacks;
  callbacks.progress = [self](int percent, const std::string& text) {
    QMetaObject::invokeMethod(
        self,
        [self, percent, text] {
          if (!self) return;
          self->bar_->setValue(percent);
          self->text_->setText(Utf8(text));
        },
        Qt::QueuedConnection);
  };
  callbacks.finished = [self](const RunResult& result) {
    QMetaObject::invokeMethod(
        self,
        [self, result] {
          if (!self) return;
          self->result_ = result;
          self->accept();
        },
        Qt::QueuedConnection);
  };
  worker_.Start([this](RunControl& control) { return AnalyseTsFile(path_, control, analysis_); },
                callbacks);
}

TsFileDialog::TsFileDialog(const TsFileAnalysis& analysis, const std::string& path, Ui& ui,
                           std::string& folder, QWidget* parent)
    : QDialog(parent), analysis_(analysis), ui_(ui), folder_(folder) {
  setWindowTitle(Utf8(Format("%s - %s", msg::si::kAnalyseTsFileTitle,
                             std::filesystem::path(path).filename().c_str())));
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  tabs->addTab(SiPage(), msg::si::kSiBrowserTitle);
  tabs->addTab(GuidePage(), msg::si::kEitTitle);
  tabs->addTab(PidPage(), msg::si::kPidListGroup);
  layout->addWidget(tabs);
  auto* close = new QPushButton(msg::si::kCloseButton, this);
  layout->addWidget(close, 0, Qt::AlignRight);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  // Within a 1366x768 screen, with room for the panel.
  resize(860, 600);
}

QWidget* TsFileDialog::SiPage() {
  siTree_ = new QTreeWidget;
  siTree_->setColumnCount(2);
  siTree_->setHeaderHidden(true);
  if (analysis_.nit) {
    const NetworkTexts network = DescribeNetwork(*analysis_.nit);
    auto* top = new QTreeWidgetItem(siTree_, {msg::si::kDeliveryGroup, {}});
    top->setExpanded(true);
    Node(top, msg::si::kNetworkIdLabel, network.networkId);
    Node(top, msg::si::kNetworkNameLabel, network.name);
    for (const DeliveryTexts& delivery : network.deliveries) {
      auto* line = Node(top, msg::si::kFrequencyLabel, delivery.frequency);
      Node(line, msg::si::kOrbitLabel, delivery.orbit);
      Node(line, msg::si::kPolarisationLabel, delivery.polarisation);
      Node(line, msg::si::kSymbolRateLabel, delivery.symbolRate);
      Node(line, msg::si::kFecLabel, delivery.fec);
    }
  } else {
    new QTreeWidgetItem(siTree_, {msg::si::kDeliveryGroup, msg::si::kNitMissing});
  }
  if (analysis_.pat) {
    const TransportStreamTexts multiplex = DescribeTransportStream(*analysis_.pat);
    auto* top = new QTreeWidgetItem(siTree_, {msg::si::kPatGroup, {}});
    top->setExpanded(true);
    Node(top, msg::si::kTransportStreamIdLabel, multiplex.transportStreamId);
    for (size_t i = 0; i < multiplex.programs.size(); ++i) {
      auto* program = Node(top, msg::si::kProgramGroup, multiplex.programs[i].number);
      Node(program, msg::si::kPmtPidLabel, multiplex.programs[i].pmtPid);
      const Pmt* pmt = analysis_.ProgramMap(analysis_.pat->programs[i].programNumber);
      if (pmt == nullptr) {
        Node(program, msg::si::kErrorReadingPmt, "");
        continue;
      }
      const ProgramMapTexts map = DescribeProgramMap(*pmt);
      Node(program, msg::si::kPcrPidLabel, map.pcrPid);
      for (size_t s = 0; s < map.streams.size(); ++s) {
        const std::string name = StreamTypeName(pmt->streams[s].streamType);
        Node(program, msg::si::kEsPidLabel,
             map.streams[s].pid + "  (" + map.streams[s].type + (name.empty() ? "" : " ") + name +
                 ")");
      }
    }
  } else {
    new QTreeWidgetItem(siTree_, {msg::si::kPatGroup, msg::si::kErrorReadingPat});
  }
  auto* services = new QTreeWidgetItem(siTree_, {msg::si::kServicesGroup, {}});
  services->setExpanded(true);
  for (const ServiceTexts& service : DescribeServices(analysis_)) {
    Node(services, Utf8(service.serviceId + " " + service.type),
         service.name + " (" + service.provider + ")" + (service.scrambled ? "  scrambled" : ""));
  }
  siTree_->resizeColumnToContents(0);
  return siTree_;
}

QWidget* TsFileDialog::GuidePage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  const Guide::Counters counters = analysis_.guide->Peek();
  layout->addWidget(new QLabel(
      Utf8(Format("%s %d   %s %d   %s %d", msg::si::kServicesLabel, counters.services,
                  msg::si::kEventsLabel, counters.events, msg::si::kCrcLabel, analysis_.crcErrors)),
      page));
  auto* lists = new QHBoxLayout;
  serviceList_ = new QListWidget(page);
  eventText_ = new QPlainTextEdit(page);
  eventText_->setReadOnly(true);
  lists->addWidget(serviceList_, 1);
  lists->addWidget(eventText_, 2);
  layout->addLayout(lists);
  analysis_.guide->Read([this](const std::map<uint16_t, ServiceEntry>& services) {
    for (const auto& [id, service] : services) serviceList_->addItem(Utf8(ServiceLine(service)));
  });
  auto* buttons = new QHBoxLayout;
  auto* writeText = new QPushButton(msg::si::kWriteFileButton, page);
  auto* writeXmltv = new QPushButton(msg::si::kWriteXmltvButton, page);
  buttons->addWidget(writeText);
  buttons->addWidget(writeXmltv);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(serviceList_, &QListWidget::currentRowChanged, this, &TsFileDialog::ShowEvents);
  connect(writeText, &QPushButton::clicked, this,
          [this] { SaveGuide(*analysis_.guide, GuideFormat::kText, ui_, folder_); });
  connect(writeXmltv, &QPushButton::clicked, this,
          [this] { SaveGuide(*analysis_.guide, GuideFormat::kXmltv, ui_, folder_); });
  return page;
}

void TsFileDialog::ShowEvents() {
  const QListWidgetItem* item = serviceList_->currentItem();
  if (item == nullptr) return;
  const int serviceId = ServiceIdOfLine(item->text().toStdString());
  std::string text;
  analysis_.guide->Read([&](const std::map<uint16_t, ServiceEntry>& services) {
    const auto found = services.find(static_cast<uint16_t>(serviceId));
    if (serviceId >= 0 && found != services.end()) text = ServiceEventsText(found->second);
  });
  QString shown = Utf8(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  eventText_->setPlainText(shown);
}

QWidget* TsFileDialog::PidPage() {
  const std::vector<PidTexts> rows = DescribePids(analysis_);
  pidTable_ = new QTableWidget(static_cast<int>(rows.size()), 6);
  pidTable_->setHorizontalHeaderLabels({"PID", "Pacchetti", "kbit/s", "Tipo", "PCR", "Criptato"});
  pidTable_->verticalHeader()->hide();
  pidTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const PidTexts& texts = rows[static_cast<size_t>(row)];
    const std::string cells[] = {
        texts.pid,     texts.packets,          texts.kbps,
        texts.content, texts.pcr ? "PCR" : "", texts.scrambled ? "scrambled" : ""};
    for (int column = 0; column < 6; ++column) {
      pidTable_->setItem(row, column, new QTableWidgetItem(Utf8(cells[column])));
    }
  }
  pidTable_->resizeColumnsToContents();
  return pidTable_;
}

void AnalyseTsFileCommand(Ui& ui, std::string& recordingFolder, std::string& guideFolder,
                          QWidget* parent) {
  FileRequest request;
  request.title = msg::si::kAnalyseTsFileTitle;
  request.filterName = msg::si::kTsFileFilterName;
  request.filterPattern = msg::si::kTsFileFilterPatterns;
  request.initialDir = recordingFolder;
  if (!ui.ShowOpenDialog(request)) return;
  recordingFolder = std::filesystem::path(request.path).parent_path().string();
  TsFileAnalysis analysis;
  Worker worker;
  TsFileProgressDialog progress(parent, worker, request.path, analysis);
  progress.exec();
  // Closed by hand before the end: the run is stopped, and what it read is shown.
  worker.RequestStop();
  const RunResult result = worker.Join();
  if (result.Failed()) {
    ShowRunResult(ui, result);
    return;
  }
  TsFileDialog dialog(analysis, request.path, ui, guideFolder, parent);
  dialog.exec();
}

}  // namespace pelorus
