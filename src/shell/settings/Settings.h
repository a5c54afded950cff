// Settings of the panels and windows that QnADC.cfg keeps (the analysis window's own come from
// the analysis core), and the LPT address of the setup dialog's list.
#pragma once

#include "analysis/AnalysisSettings.h"
#include "link/AdcResultDisplay.h"

#include <array>
#include <cstdint>

namespace qn {

// The six flags of the configuration file (flag 1 is index 0).
using ConfigFlags = std::array<bool, 6>;

// Index of flag 3, which chip selection clears when the chip description has no "#ADC0S" section.
inline constexpr size_t kFlagAdcSection = 2;

// Setup dialog: the LPT address list position (no entry selected is −1).
struct SetupSettings {
    int32_t CLPT = 0;

    bool operator==(const SetupSettings&) const = default;
};

// Temperature test window: the "CHFULL" box.
struct TempTestSettings {
    bool CHFULL = false;

    bool operator==(const TempTestSettings&) const = default;
};

// Everything of QnADC.cfg that is not part of STND or the chip link.
struct Settings {
    ConfigFlags Flags{};
    AdcResultDisplay AdcPanel;
    AnalysisSettings Analysis;
    SetupSettings Setup;
    TempTestSettings TempTest;

    bool operator==(const Settings&) const = default;
};

// Item count of the LPT address list, whose index the file keeps.
inline constexpr int32_t kLptItems = 3; // "LPT1 : 0x378", "LPT2 : 0x278", "PRN1 : 0x3BC"

// Base address of an LPT list position; no selection (or any other position) gives 0x378.
uint16_t LptAddress(int32_t clpt);

} // namespace qn
