// QnADC.cfg: the settings file that the main window loads at start-up and saves when it closes.
#pragma once

#include "link/ChipLink.h"
#include "link/LinkRecords.h"
#include "shell/settings/Settings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr std::string_view kConfigTitle = "Qn-740xTEST V1.3";
inline constexpr std::string_view kConfigFileName = "QnADC.cfg";
inline constexpr int kConfigSections = 15;

// Serial settings that every load forces: "9600", "COM16", "None".
inline constexpr int32_t kForcedBaudIndex = 5;
inline constexpr int32_t kForcedComIndex = 15;
inline constexpr int32_t kForcedParityIndex = 0;

// Calibration pair that replaces a loaded pair holding a 0.
inline constexpr int32_t kDefaultCalValue = 500000;
inline constexpr int32_t kDefaultCalReading = 50000;

// The state that the file is read into and written from.
struct ConfigTargets {
    STND& Stnd;
    std::array<uint8_t, 6>& AdcPresetA;
    std::array<uint8_t, 6>& AdcPresetB;
    LinkOptions& Options; // "Photo" is Optocoupler, "ComFun" is FunctionChoice
    Settings& Values;
    // The chip model's register panel page and RAM panel bank: the chip selection that ends the
    // load checks them against the chip.
    uint8_t& CurrentPage;
    uint8_t& CurrentBank;

    static ConfigTargets Of(STND& stnd, ChipLink& chip, Settings& values, uint8_t& currentPage,
                            uint8_t& currentBank) {
        return {stnd,   chip.AdcPresetA, chip.AdcPresetB, chip.Options,
                values, currentPage,     currentBank};
    }
};

// What a load asks of the windows beyond the values they show from the records.
struct ConfigViewChanges {
    bool ShowAnalysisGrid = false;  // analysis window: hide the chart, show the data grid
    bool HideSetupControls = false; // setup dialog: hide "TXBaud", "TXCOM", "TXParity", "CLPT"
};

enum class ConfigOutcome {
    Loaded,     // title matched; the sections present were read and the end steps ran
    WrongTitle, // first line is not the title (or the file is empty): nothing read from it
    Unreadable, // the file exists but cannot be read (a folder, say): nothing read from it
};

struct ConfigLoadResult {
    ConfigOutcome Outcome = ConfigOutcome::Loaded;
    bool Created = false; // the file was missing and has been written from the current state
    int SectionsRead = 0; // 0 … 15; fewer when the file ends early
    ConfigViewChanges View;
    std::vector<std::string> Mended; // one line per value that was refused or repaired
    std::string Problem;             // why nothing was read from the file; empty when it was Loaded
};

// Chip selection for the loaded chip index; it may change STND's Interface.
using SelectChipFn = std::function<void(uint16_t chip)>;

// The file's text for the current state (title and sections 0 to 14, CR LF lines).
std::string FormatConfig(const ConfigTargets& targets);

// Writes the file from the current state, replacing it atomically. False when it cannot be
// written, with the reason in `problem`; the old file is then unchanged.
bool SaveConfig(const std::string& path, const ConfigTargets& targets,
                std::string* problem = nullptr);

// Applies a file's text to the state (steps after the file is opened). A UTF-8 byte-order mark
// before the title is skipped; lines may end in CR LF, LF or (throughout) CR alone. A text
// without the title changes nothing.
ConfigLoadResult ApplyConfig(std::string_view contents, const ConfigTargets& targets,
                             const SelectChipFn& selectChip);

// Reads the file into the state; a missing file is first written from the current state. A file
// that cannot be read or lacks the title is left as it is, and the current (default) state is
// applied in its place, end steps included, as for a missing file; Problem says why.
ConfigLoadResult LoadConfig(const std::string& path, const ConfigTargets& targets,
                            const SelectChipFn& selectChip);

} // namespace qn
