// The histogram of the last capture's scaled codes as bars, the Gaussian of their mean and
// deviation over them, and the spread figures: σ, peak-to-peak, 6.6 σ and the samples beyond
// ±3.3 σ; the title above the plot repeats σ and peak-to-peak, for a saved picture.
#pragma once

#include "analysis/AnalysisStore.h"
#include "analysis/Histogram.h"
#include "ui/PlotView.h"

class QCPBars;
class QCPGraph;
class QCPTextElement;

namespace qn {

class HistogramView final : public PlotView {
    Q_OBJECT
  public:
    HistogramView(Prompt& ask, std::string folder, QWidget* parent = nullptr);

    // Computes the histogram of the store's samples and draws it.
    void Draw(const AnalysisStore& store);
    const Histogram& Shown() const { return histogram_; }

    QCPBars* Bars = nullptr;
    QCPGraph* Gaussian = nullptr;
    QCPTextElement* Title = nullptr; // with the sample count, σ and p-p
    QLabel* Sigma = nullptr;
    QLabel* PeakToPeak = nullptr;
    QLabel* SixPointSixSigma = nullptr;
    QLabel* Outside = nullptr;

  protected:
    std::string CsvText() const override;

  private:
    Histogram histogram_;
};

} // namespace qn
