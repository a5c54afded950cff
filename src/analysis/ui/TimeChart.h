// The time-domain chart of the analysis window: the captured samples (or their change sums) as
// one red line over the capture's duration, with mouse zoom and pan, and a menu that fits the
// view to the samples again (as a double-click does) and saves the picture as PNG or PDF.
#pragma once

#include "analysis/AnalysisStore.h"
#include "analysis/ChartValues.h"
#include "host/Prompt.h"

#include <QWidget>

#include <memory>
#include <string>

class QCustomPlot;
class QMenu;

namespace qn {

class EnvelopeLine;
class PlotFit;

class TimeChart final : public QWidget {
    Q_OBJECT
  public:
    TimeChart(Prompt& ask, std::string folder, QWidget* parent = nullptr);
    ~TimeChart() override;

    // Rebuilds the line from the store; Count 0 leaves the chart empty.
    void Draw(const AnalysisStore& store, const ChartRequest& request);
    // Asks for a file and writes the picture: PDF when its name ends in ".pdf", else PNG.
    void SaveImage();
    // Shows every sample again after zooming or panning.
    void Fit();

    QCustomPlot* Plot = nullptr;
    QMenu* PopupMenu = nullptr;

  private:
    Prompt& ask_;
    const std::string folder_;
    std::unique_ptr<PlotFit> fit_;
    std::unique_ptr<EnvelopeLine> line_;
};

} // namespace qn
