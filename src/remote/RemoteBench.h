// The bench as the remote-control command tree drives it: the same operations the windows call,
// each answering with an outcome the command tree turns into a reply or an error-queue entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qn {

// How an operation ended. `Busy`: another operation (a window's or a remote one) holds the link;
// `OutOfRange`: a value the bench cannot take; `NoData`: nothing captured to fetch; `Failed`:
// the bench tried and the chip, bridge or an instrument did not answer as it should.
enum class RemoteOutcome { Done, Busy, OutOfRange, NoData, Failed };

struct RemoteResult {
    RemoteOutcome Outcome = RemoteOutcome::Done;
    std::string Message; // said in the error queue's entry after the standard text; may be empty
};

// The capture settings of "Catch ADC": sample count, scale bits, block average, reference volts.
struct RemoteCaptureSettings {
    int32_t Points = 4096;
    int32_t ScaleBits = 23;
    int32_t Average = 1;
    double ReferenceVolts = 0;
};

// The seven noise figures in the order the data file writes them.
struct RemoteFigures {
    double Values[7] = {};
};

// Where a temperature run is, for "TEMPerature:STATe?".
struct RemoteRunState {
    bool Running = false;
    size_t Row = 0;
    size_t Step = 0;
    std::string Phase; // "idle", "approach", "soak", "step", "ended"
    double LeftSeconds = -1; // the estimate of the time left; negative when unknown
};

class RemoteBench {
  public:
    virtual ~RemoteBench() = default;

    // "*IDN?": maker, model, serial, version.
    virtual std::string Identity() const = 0;
    // An operation holds the link now (a window's or a remote one).
    virtual bool Busy() const = 0;
    // "*RST": the capture settings back to their defaults, nothing captured.
    virtual void Reset() = 0;

    virtual std::vector<std::string> ChipCatalogue() const = 0;
    virtual std::string SelectedChip() const = 0;
    virtual RemoteResult SelectChip(const std::string& name) = 0;

    // "USB Scan", and the link's state as one word ("CONNECTED" or "DISCONNECTED").
    virtual RemoteResult Connect() = 0;
    virtual std::string LinkState() const = 0;

    // A register write with its read-back, and a read; by the chip file's field names too.
    virtual RemoteResult WriteRegister(int address, int value) = 0;
    virtual RemoteResult ReadRegister(int address, int& value) = 0;
    virtual RemoteResult WriteField(const std::string& name, int value) = 0;
    virtual RemoteResult ReadField(const std::string& name, int& value) = 0;

    virtual RemoteCaptureSettings CaptureSettings() const = 0;
    virtual RemoteResult SetCaptureSettings(const RemoteCaptureSettings& settings) = 0;
    // Captures with the current settings; returns when the capture has ended (window messages
    // and remote lines are let through meanwhile, so an abort can reach it).
    virtual RemoteResult Capture() = 0;
    // Ends a running capture or temperature run (the run through its safe finish).
    virtual void Abort() = 0;
    virtual RemoteResult Figures(RemoteFigures& figures) const = 0;
    // The values the figures were computed from: codes, or block averages after averaging.
    virtual RemoteResult Samples(std::vector<double>& samples) const = 0;

    // Starts the run of a plan file and returns when it has ended, as Capture does.
    virtual RemoteResult RunTemperaturePlan(const std::string& planPath) = 0;
    virtual RemoteRunState RunState() const = 0;
};

} // namespace qn
