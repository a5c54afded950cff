// Placing the program's windows wholly on the screen (the main window, with the frame the window
// manager draws around it) or inside the main window's workspace (its child windows).
#pragma once

#include "shell/settings/ScreenRect.h"

#include <QRect>

class QMdiArea;
class QWidget;

namespace qn {

ScreenRect ToScreenRect(const QRect& rect);

// The frame the window manager drew around a top-level window; zero while it has drawn none.
FrameMargins FrameOf(const QWidget& window);

// Moves a top-level window, and shrinks it when it is larger, so that it lies with its frame
// inside its screen's available area (the screen without the desktop's panels).
void KeepOnScreen(QWidget& window);

// Keeps it there once more when the shown window is first on the screen: only then has the window
// manager framed it, so only then is the frame's size known.
void KeepOnScreenOnceFramed(QWidget& window);

// A child window's rectangle (its own frame and title bar included) moved, and shrunk when larger,
// into a workspace of `area`; as it was while the workspace has no size yet.
QRect FitInsideWorkspace(const QRect& place, const QSize& area);

// Keeps the workspace's shown child windows inside it whenever it changes size: a main window made
// smaller, or fitted to the screen with its frame, leaves none out of reach.
void KeepChildWindowsInside(QMdiArea& workspace);

} // namespace qn
