// The noise spectral density of the last capture in nV/√Hz against frequency, at the chip's
// configured output data rate with the measured rate beside it, with a choice of window and the
// figures of a captured sine. Records that came too slowly for the configured rate draw no
// density, only a warning.
#pragma once

#include "analysis/AnalysisStore.h"
#include "analysis/SampleRate.h"
#include "analysis/Spectrum.h"
#include "ui/PlotView.h"

#include <memory>
#include <optional>
#include <vector>

class QCPGraph;
class QComboBox;

namespace qn {

class EnvelopeLine;

class SpectrumView final : public PlotView {
    Q_OBJECT
  public:
    SpectrumView(Prompt& ask, std::string folder, QWidget* parent = nullptr);
    ~SpectrumView() override;

    // Takes the store's samples in volts at the input (`voltsPerCount` of a scaled count; none
    // when the reference is no number) at the rate ChooseSpectrumRate picks from `rates`, and
    // draws their spectrum.
    void Draw(const AnalysisStore& store, const CaptureRates& rates,
              std::optional<double> voltsPerCount);
    const Spectrum& Shown() const { return spectrum_; }

    QComboBox* Window = nullptr; // Blackman-Harris 7-term, Hann, none
    QCPGraph* Density = nullptr;
    QLabel* Rate = nullptr;    // the rate drawn at, and the measured rate
    QLabel* Warning = nullptr; // why no density is drawn; hidden while one is
    QLabel* MeanNsd = nullptr;
    QLabel* Sine = nullptr; // SNR, SINAD, SFDR, THD, ENOB (dynamic)

  protected:
    std::string CsvText() const override;

  private:
    // The spectrum of the samples kept, under the chosen window.
    void Recompute();

    SpectrumAnalyzer analyzer_;
    Spectrum spectrum_; // its arrays are reused by every recomputation
    std::vector<double> volts_;
    std::vector<double> nsd_;            // nV/√Hz, as drawn
    std::unique_ptr<EnvelopeLine> line_; // the density at the plot's width
    double sampleRate_ = 0;
};

} // namespace qn
