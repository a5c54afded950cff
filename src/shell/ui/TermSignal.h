// Closes the main window normally when the program is asked to terminate, so settings are kept.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace qn {

class TermSignal : public QObject {
    Q_OBJECT
  public:
    // Installs handlers for SIGTERM and SIGINT that close `window` from the event loop.
    explicit TermSignal(QWidget& window);
    ~TermSignal() override;

  private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qn
