#pragma once

class QMessageBox;
class QString;
class QWidget;

namespace pelorus {

// The width a window needs for a desktop's title bar to show its whole title: the title in a
// bold face a little larger than the window's, the window icon and three buttons. Window
// managers cut (or elide in the middle) a title that does not fit: "Tessera S... gs Editor".
int TitleBarWidth(const QWidget& window, const QString& title);

// The widest a message box may be on the screen it opens on, as the toolkit itself limits it.
int MessageBoxWidthLimit(const QWidget& box);

// Gives a dialog at least the width its title needs (never more than the screen holds).
void KeepTitleVisible(QWidget& window);

// A message box wide enough for its title and for each line of its text as written, so that
// no line breaks and leaves a single word on a line of its own. Call it once the text (and any
// detail) is set.
void FitMessageBox(QMessageBox& box);

}  // namespace pelorus
