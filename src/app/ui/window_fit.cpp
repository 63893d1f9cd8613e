#include "app/ui/window_fit.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>

namespace pelorus {
namespace {

// The window icon and the minimise, maximise and close buttons of a title bar.
constexpr int kTitleBarButtons = 4;
// Room between and around them; a desktop's theme draws its own.
constexpr int kTitleBarPadding = 48;
// A title bar's face is commonly bold and about a tenth larger than a dialog's.
constexpr double kTitleFontScale = 1.1;
// The toolkit's message boxes keep this far from the screen's edges when they are wider.
constexpr int kMessageBoxScreenMargin = 480;
constexpr int kMessageBoxMaxWidth = 1000;
constexpr int kSmallScreenWidth = 1024;

QRect ScreenArea(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

int TitleBarWidth(const QWidget& window, const QString& title) {
  QFont font = window.font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * kTitleFontScale);
  const QFontMetrics metrics(font);
  const int button = metrics.height() + 12;
  return metrics.horizontalAdvance(title) + kTitleBarButtons * button + kTitleBarPadding;
}

int MessageBoxWidthLimit(const QWidget& box) {
  const int screen = ScreenArea(box).width();
  if (screen <= kSmallScreenWidth) return screen;
  return std::min(screen - kMessageBoxScreenMargin, kMessageBoxMaxWidth);
}

void KeepTitleVisible(QWidget& window) {
  const int needed =
      std::min(TitleBarWidth(window, window.windowTitle()), ScreenArea(window).width());
  if (window.minimumWidth() < needed) window.setMinimumWidth(needed);
}

void FitMessageBox(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (grid == nullptr || label == nullptr) return;
  // The width of the text laid out as written, one line per line break, with the icon beside it.
  const bool wrapped = label->wordWrap();
  label->setWordWrap(false);
  grid->activate();
  const int natural = grid->totalMinimumSize().width() + label->fontMetrics().averageCharWidth();
  label->setWordWrap(wrapped);
  // The box sizes itself to its layout when shown; a spacer across the layout keeps it this
  // wide. Past the toolkit's limit it would break lines inside words, so it stays within it.
  const int width =
      std::min(std::max(natural, TitleBarWidth(box, box.windowTitle())), MessageBoxWidthLimit(box));
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace pelorus
