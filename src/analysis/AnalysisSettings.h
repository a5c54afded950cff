// Settings of the analysis window that QnADC.cfg keeps, and the selection handlers that derive
// values from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qn {

// Analysis window: sample count, display scale, function combos and the boxes the file keeps.
struct AnalysisSettings {
    int32_t NPointIndex = 2; // "Sample Point" item
    int32_t NPoint = 256;    // 64·2^NPointIndex, set by NPointIndexChange
    int32_t TXScale = 15;    // "Scale" item
    int32_t ScaleDiv = 1;    // 2^(15 − TXScale), set by TXScaleChange
    int32_t ScaleBits = 23;  // 8 + TXScale, set by TXScaleChange
    bool ChangeMode = false;
    int32_t CFunADC = 0;
    int32_t CalValue = 500000;
    int32_t CalReading = 50000;
    int32_t ADShift = 0; // only carried through load and save
    std::string EREFV = "2.4";
    int32_t CMAVR = 0; // "Avr. Times" item
    std::string EGv = "500";
    bool ChTemper = false;

    bool operator==(const AnalysisSettings&) const = default;
};

// Item counts of the analysis window's lists whose indexes the file keeps.
inline constexpr int32_t kNPointItems = 11; // "64" … "65536"
inline constexpr int32_t kScaleItems = 16;  // "8" … "23"
inline constexpr int32_t kAvrItems = 6;     // "1" … "32"

// "Sample Point" selected item: NPoint := 64·2^item. An item outside the list changes nothing
// and gives false.
bool NPointIndexChange(AnalysisSettings& analysis, int32_t item);

// "Scale" selected item: ScaleDiv := 2^(15 − item), ScaleBits := 8 + item. An item outside the
// list changes nothing and gives false.
bool TXScaleChange(AnalysisSettings& analysis, int32_t item);

// The reference voltage of a capture, from the "Ref Volt" text as the settings file or the
// command line gives it: a finite decimal number of volts above 0, spaces around it allowed.
// Nothing for any other text, which both refuse.
std::optional<double> AcceptedRefVolts(std::string_view text);

} // namespace qn
