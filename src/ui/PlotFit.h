// The view of a plot that shows all its data: kept whenever the data is drawn, and put back after
// the user zoomed or panned, by a double-click on the plot (or a "Fit" button or menu item).
#pragma once

class QCustomPlot;

namespace qn {

class PlotFit {
  public:
    // Double-clicks on the plot fit it from now on.
    explicit PlotFit(QCustomPlot& plot);

    // The axes' ranges as they are now show all the data.
    void Keep();
    // Puts those ranges back and redraws.
    void Restore();

  private:
    QCustomPlot& plot_;
    double xLower_ = 0;
    double xUpper_ = 0;
    double yLower_ = 0;
    double yUpper_ = 0;
};

} // namespace qn
