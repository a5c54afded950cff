// The bench as remote control drives it: chip selection, "USB Scan", register and field writes
// and reads, "Catch ADC" and the temperature run, each through the core operations the windows
// call and each holding the one-exchange guard, so none starts while another operation runs.
#pragma once

#include "remote/RemoteBench.h"
#include "shell/Bench.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qn {

// What the window form and the command-line form do differently around an operation.
struct RemoteBenchHooks {
    // Runs the chip selection of chip list entry `index` (the windows follow it); false when the
    // chip's description file could not be read.
    std::function<bool(uint16_t index)> SelectChip;
    // Told after every capture, however it ended: the analysis window shows the store again.
    std::function<void()> CaptureEnded;
};

class ShellRemoteBench final : public RemoteBench {
  public:
    ShellRemoteBench(Bench& bench, RemoteBenchHooks hooks);

    std::string Identity() const override;
    bool Busy() const override { return bench_.Guard.Busy(); }
    void Reset() override;

    std::vector<std::string> ChipCatalogue() const override;
    std::string SelectedChip() const override;
    RemoteResult SelectChip(const std::string& name) override;

    RemoteResult Connect() override;
    std::string LinkState() const override;

    RemoteResult WriteRegister(int address, int value) override;
    RemoteResult ReadRegister(int address, int& value) override;
    RemoteResult WriteField(const std::string& name, int value) override;
    RemoteResult ReadField(const std::string& name, int& value) override;

    RemoteCaptureSettings CaptureSettings() const override { return settings_; }
    RemoteResult SetCaptureSettings(const RemoteCaptureSettings& settings) override;
    RemoteResult Capture() override;
    void Abort() override;
    RemoteResult Figures(RemoteFigures& figures) const override;
    RemoteResult Samples(std::vector<double>& samples) const override;

    RemoteResult RunTemperaturePlan(const std::string& planPath) override;
    RemoteRunState RunState() const override { return run_; }

    // A remote capture or run is in progress (a window's operation is not counted).
    bool Operating() const { return operation_ != Operation::None; }

  private:
    enum class Operation : uint8_t { None, Capture, Run };

    // Reads register `address` from the chip into the image, as "Read RAM" does for its chunks.
    RemoteResult ReadIntoImage(int address, uint8_t& value);
    const RegFieldDesc* FindField(const std::string& name) const;
    std::string CaptureProblem() const;
    RemoteResult StartRun(const std::string& planPath);
    void FollowRun(const TempTestProgress& progress);

    Bench& bench_;
    RemoteBenchHooks hooks_;
    RemoteCaptureSettings settings_;
    Operation operation_ = Operation::None;
    bool aborted_ = false;
    bool captured_ = false; // the store holds a complete remote capture with its figures
    RemoteRunState run_;
};

} // namespace qn
