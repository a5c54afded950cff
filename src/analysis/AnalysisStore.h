// The samples of the last capture, their grid values and the noise figures computed from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qn {

// Every sample array holds this many entries, the largest sample count of a capture.
inline constexpr size_t kSampleCapacity = 65536;

// What one grid cell shows: nothing, a scaled integer (after a capture or k = 1 averaging) or a
// block average with two decimals.
struct GridValue {
    enum class Kind : uint8_t { Empty, Integer, Fraction };
    Kind Shown = Kind::Empty;
    double Value = 0;

    // The cell text: "", "-1234" or "12.50".
    std::string Text() const;
    // The cell value truncated toward zero, sign kept; 0 for an empty cell.
    int64_t LeadingInteger() const;
};

// The seven results of the noise statistics, in the order the data file lists them.
struct NoiseFigures {
    double Average = 0;
    double VppNV = 0;
    double RmsNV = 0;
    double Enob = 0;
    double VppCount = 0;
    double RmsCount = 0;
    double NoiseFree = 0;
};

// The texts of the six result panels, two decimals each.
struct ResultPanels {
    std::string Vrms;
    std::string Average;
    std::string Enob;
    std::string RmsNoise;
    std::string NoiseFree;
    std::string VppNoise;
};

struct AnalysisStore {
    std::vector<double> ADCData = std::vector<double>(kSampleCapacity);   // codes or averages
    std::vector<double> ADCDiff = std::vector<double>(kSampleCapacity);   // neighbour differences
    std::vector<double> ADCChange = std::vector<double>(kSampleCapacity); // ChangeSpan sums
    std::vector<double> ADCRaw = std::vector<double>(kSampleCapacity);    // codes of the capture
    std::vector<GridValue> Cells = std::vector<GridValue>(kSampleCapacity);
    int32_t SampleCount = 0;
    int32_t ChartCount = 0;
    int32_t Requested = 0;     // samples the last capture asked for; 0 when not captured
    int32_t BlockLength = 1;   // codes per shown value: 1 after a capture, k after averaging by k
    double SampleSum = 0;      // sum of the scaled samples, their mean after CloseCapture
    long double SquareSum = 0; // sum of their squares, their RMS value after CloseCapture
    int32_t ChangeSpan = 16;   // differences per ADCChange value
    bool Temperature = false;  // statistics scaled by 256 for temperature readings
    NoiseFigures Figures;
    ResultPanels Panels;

    // Empties the cells of the first `nPoint` samples, zeroes their codes and the sums; the
    // values shown are single codes again.
    void ClearSamples(int32_t nPoint);
    // Keeps one decoded code with its scaled value; false when the arrays are full.
    bool KeepSample(int32_t code, int32_t scaleDiv);
    // Turns the sums into mean and RMS value; the chart shows every sample.
    void CloseCapture();
    // "1630 of 4096 samples" when the capture ended short of its request, else empty: the
    // figures then describe only the samples taken.
    std::string ShortfallText() const;
};

} // namespace qn
