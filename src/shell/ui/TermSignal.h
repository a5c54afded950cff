// Closes the main window normally when the program is asked to terminate, so settings are kept;
// or runs what a form without windows does then.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;
class QWidget;

namespace qn {

class TermSignal : public QObject {
    Q_OBJECT
  public:
    // Installs handlers for SIGTERM and SIGINT that close `window` from the event loop.
    explicit TermSignal(QWidget& window);
    // Installs handlers for SIGTERM and SIGINT that run `onSignal` from the event loop.
    explicit TermSignal(std::function<void()> onSignal);
    ~TermSignal() override;

  private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qn
