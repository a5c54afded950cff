// The plot frame several windows share (the analysis window's histogram and spectrum, the results
// over temperature): a plot with mouse zoom and pan, a read-out of the point under the mouse, and
// buttons that fit the view to the data and save the picture and the data shown.
#pragma once

#include "host/Prompt.h"

#include <QWidget>

#include <initializer_list>
#include <memory>
#include <string>

class QCustomPlot;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace qn {

class PlotFit;

// One CSV line of the numbers with "." decimals whatever the locale, ended by CR LF.
void AppendCsvLine(std::string& text, std::initializer_list<double> values);

class PlotView : public QWidget {
    Q_OBJECT
  public:
    PlotView(Prompt& ask, std::string folder, QWidget* parent = nullptr);
    ~PlotView() override;

    // Shows all the drawn data again after zooming or panning; a double-click on the plot does too.
    void Fit();

    // Writes the points shown as CSV; false when the file cannot be written.
    bool SaveData(const std::string& path) const;
    // Asks for a file and writes the picture as PNG.
    void SaveImage();
    // Asks for a file and writes the points shown.
    void SaveDataAs();

    QCustomPlot* Plot = nullptr;
    QLabel* Cursor = nullptr; // x and y under the mouse
    QPushButton* FitButton = nullptr;
    QPushButton* SaveImageButton = nullptr;
    QPushButton* SaveDataButton = nullptr;

  protected:
    // The points shown, a heading line first.
    virtual std::string CsvText() const = 0;
    // The axes show all the drawn data now: Fit comes back to this view.
    void KeepFullView();
    // The row of the view's own controls and figures, above the plot.
    QHBoxLayout* Controls = nullptr;

  private:
    Prompt& ask_;
    const std::string folder_;
    std::unique_ptr<PlotFit> fit_;
};

} // namespace qn
