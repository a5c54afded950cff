// The state snapshot beside every saved capture: register image, chip, instruments, link and
// analysis settings, so that a number in a data file can be traced to the state that made it.
#pragma once

#include "link/RegImage.h"
#include "shell/Bench.h"
#include "shell/SnapshotDiff.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qn {

inline constexpr std::string_view kSnapshotSuffix = ".snapshot";

struct StateSnapshot {
    std::string Program;   // "Qn-740xTEST V1.3"
    std::string LocalTime; // "2026-12-07 14:05:09"
    std::string Chip;      // product name of the chip model
    std::string ChipFile;  // description file name, empty when none was found
    std::string ChipFileSha256;
    uint16_t Interface = 0; // STND::Interface
    bool UsbOpen = false;
    bool SerialOpen = false;
    // Identification answers; empty for an instrument that is not selected.
    std::string Supply;
    std::string Calibrator;
    std::string Chamber;
    // Analysis settings.
    int32_t NPoint = 0;
    int32_t TXScale = 0;
    int32_t CMAVR = 0;
    std::string EREFV;
    RegImageBytes RegImage{};
    // The board's own temperature reading before a temperature run's capture ("24.51", °C);
    // empty without one, and then not written.
    std::string BoardTemp{};
};

// The state of the bench now.
StateSnapshot CaptureState(const Bench& bench);

// "key=value" lines with CR LF; the image as lines "Reg000=" … "Reg3F0=" of 16 hex bytes.
std::string SnapshotText(const StateSnapshot& state);
// Parses SnapshotText; an empty string on success, else what is wrong with the text.
std::string ParseSnapshot(std::string_view text, StateSnapshot& state);

// Written atomically; false (and the file untouched) on failure.
bool WriteSnapshot(const std::string& path, const StateSnapshot& state);
// What reading a snapshot file gave: the state, or a message for the user.
struct SnapshotRead {
    bool Ok = false;
    StateSnapshot State;
    std::string Error;
};
SnapshotRead ReadSnapshot(const std::string& path);

// Writes the bench's state to `dataPath` + ".snapshot"; false when it cannot be written.
bool WriteSnapshotBeside(const Bench& bench, const std::string& dataPath);

// The register panel's comparison of the current image with a snapshot file: the registers that
// differ, "No register differs", or why the file was refused.
struct SnapshotComparisonText {
    bool Read = false;
    size_t Differences = 0;
    std::string Text;
};
SnapshotComparisonText CompareWithSnapshot(const Bench& bench, const std::string& path);

} // namespace qn
