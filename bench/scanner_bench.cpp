// The signal plot's repaint at 1920 x 1080 with a full Universal H+V sweep (2 x 2052 points),
// and the rebuild of its polylines after a resize.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "scanner/qt/signal_plot_painter.h"

namespace pelorus {
namespace {

ScanData FullUniversalSweep() {
  ScanData data;
  data.settings = {10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  for (const SweepSegment& segment : SweepSegments(LnbType::kUniversal, 10700, 12750)) {
    for (int f = segment.ifStart; f <= segment.ifEnd; ++f) {
      data.horizontal.push_back({f, 3000 + (f * 7919) % 400 + (f % 300 < 30 ? 2500 : 0)});
      data.vertical.push_back({f, 3100 + (f * 104729) % 400 + (f % 250 < 25 ? 2000 : 0)});
    }
  }
  return data;
}

void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pelorus_bench";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

void BM_SignalPlotRepaint1080p(benchmark::State& state) {
  EnsureApplication();
  ScanData data = FullUniversalSweep();
  const LevelRange levels = NormaliseLevels(data);
  QImage image(1920, 1080, QImage::Format_RGB32);
  SignalPlotPainter plot;
  plot.SetData(data, levels);
  plot.Resize(1920, 1080, image.logicalDpiY());
  PlotOverlay overlay;
  overlay.markers = {{11000, false}, {11500, true}, {12300, false}};
  overlay.ranges = {{11200, 11400}};
  overlay.searchMhz = 11300;
  for (auto _ : state) {
    QPainter painter(&image);
    plot.Paint(painter, overlay);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["points"] = static_cast<double>(data.horizontal.size() + data.vertical.size());
}
BENCHMARK(BM_SignalPlotRepaint1080p)->Unit(benchmark::kMillisecond);

void BM_SignalPlotResize(benchmark::State& state) {
  EnsureApplication();
  ScanData data = FullUniversalSweep();
  const LevelRange levels = NormaliseLevels(data);
  SignalPlotPainter plot;
  plot.SetData(data, levels);
  int width = 1900;
  for (auto _ : state) {
    width = width == 1900 ? 1920 : 1900;
    plot.Resize(width, 1080, 96);
    benchmark::DoNotOptimize(plot.traces().lastX);
  }
}
BENCHMARK(BM_SignalPlotResize)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pelorus
