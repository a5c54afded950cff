// The time-domain chart of the analysis window: the captured samples (or their change sums) as
// one red line over the capture's duration, with mouse zoom and pan, and a menu that fits the
// view to the samples again (as a double-click does) and saves the picture as PNG or PDF.
#pragma once

#include "analysis/AnalysisStore.h"
#include "analysis/ui/PlotFit.h"
#include "host/Prompt.h"

#include <qcustomplot.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qn {

// Which values the chart shows and against what.
struct ChartRequest {
    int32_t Count = 0;       // the first Count samples
    double ElapsedMs = 0;    // duration of the capture; 0 while none has finished
    int32_t ScaleDiv = 1;    // divisor of every value
    bool ChangeMode = false; // change sums instead of the codes
};

// The y values of the chart: the code (or change sum) rounded down, divided by ScaleDiv toward
// zero; a code at or above 2^23 counts as negative 24-bit.
std::vector<double> ChartValues(const AnalysisStore& store, const ChartRequest& request);

class TimeChart final : public QCustomPlot {
    Q_OBJECT
  public:
    TimeChart(Prompt& ask, std::string folder, QWidget* parent = nullptr);

    // Rebuilds the line from the store; Count 0 leaves the chart empty.
    void Draw(const AnalysisStore& store, const ChartRequest& request);
    // Asks for a file and writes the picture: PDF when its name ends in ".pdf", else PNG.
    void SaveImage();
    // Shows every sample again after zooming or panning.
    void Fit() { fit_.Restore(); }

    QMenu* PopupMenu = nullptr;

  private:
    Prompt& ask_;
    const std::string folder_;
    PlotFit fit_{*this};
};

} // namespace qn
