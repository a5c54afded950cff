// Keeping windows on the screen and child windows inside the workspace.
#include "shell/ui/WindowFit.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace qn {
namespace {

// A workspace smaller than this is not laid out yet: fitting into it would crush the window.
constexpr int kSmallestWorkspace = 100;

QRect ToQRect(const ScreenRect& rect) {
    return {rect.Left, rect.Top, rect.Width, rect.Height};
}

// Waits for the first exposure of a window's native window, fits the window then, and goes.
class FramedWatch final : public QObject {
  public:
    FramedWatch(QWidget& window, QWindow& native) : QObject(&window), window_(window) {
        native.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* native = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && native != nullptr && native->isExposed()) {
            native->removeEventFilter(this);
            KeepOnScreen(window_);
            deleteLater();
        }
        return false;
    }

  private:
    QWidget& window_;
};

// Fits the workspace's shown child windows into it each time its viewport is resized.
class WorkspaceWatch final : public QObject {
  public:
    explicit WorkspaceWatch(QMdiArea& workspace) : QObject(&workspace), workspace_(workspace) {
        workspace.viewport()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::Resize) return false;
        const QSize area = workspace_.viewport()->size();
        for (QMdiSubWindow* child : workspace_.subWindowList())
            if (child->isVisible() && !child->isMinimized() && !child->isMaximized())
                child->setGeometry(FitInsideWorkspace(child->geometry(), area));
        return false;
    }

  private:
    QMdiArea& workspace_;
};

} // namespace

ScreenRect ToScreenRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.width(), rect.height()};
}

FrameMargins FrameOf(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect content = window.geometry();
    return {content.left() - frame.left(), content.top() - frame.top(),
            frame.right() - content.right(), frame.bottom() - content.bottom()};
}

void KeepOnScreen(QWidget& window) {
    // A maximised, minimised or full-screen window is placed by the window manager.
    if (window.windowState() != Qt::WindowNoState && window.windowState() != Qt::WindowActive)
        return;
    const ScreenRect content = ToScreenRect(window.geometry());
    const ScreenRect kept =
        FitOnScreen(content, FrameOf(window), ToScreenRect(window.screen()->availableGeometry()));
    if (kept != content) window.setGeometry(ToQRect(kept));
}

void KeepOnScreenOnceFramed(QWidget& window) {
    QWindow* native = window.windowHandle();
    if (native == nullptr || native->isExposed()) {
        KeepOnScreen(window);
        return;
    }
    new FramedWatch(window, *native);
}

void KeepChildWindowsInside(QMdiArea& workspace) {
    new WorkspaceWatch(workspace);
}

QRect FitInsideWorkspace(const QRect& place, const QSize& area) {
    if (area.width() < kSmallestWorkspace || area.height() < kSmallestWorkspace) return place;
    return ToQRect(FitOnScreen(ToScreenRect(place), {}, {0, 0, area.width(), area.height()}));
}

} // namespace qn
