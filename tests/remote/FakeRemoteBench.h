// A bench for the remote command tree's tests and fuzz target: keeps what it is told in memory,
// answers with the outcomes a test sets, and runs a test's lines while a capture or run is on.
#pragma once

#include "remote/RemoteBench.h"

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qn::test {

class FakeRemoteBench final : public RemoteBench {
  public:
    std::string Identity() const override { return "Maker,Model,0001,1.3"; }
    bool Busy() const override { return BusyNow || operating_; }
    void Reset() override {
        Settings = {};
        Captured = false;
    }

    std::vector<std::string> ChipCatalogue() const override { return {"QN7401", "QN7402"}; }
    std::string SelectedChip() const override { return Chip; }
    RemoteResult SelectChip(const std::string& name) override {
        Chip = name;
        return {};
    }

    RemoteResult Connect() override { return {}; }
    std::string LinkState() const override { return "CONNECTED"; }

    RemoteResult WriteRegister(int address, int value) override {
        if (address == 0x7F) return {RemoteOutcome::Failed, "read back 0"}; // a stuck register
        Registers[address] = value;
        return {};
    }
    RemoteResult ReadRegister(int address, int& value) override {
        value = Registers[address];
        return {};
    }
    // The one field, "PGA", is kept as register -1.
    RemoteResult WriteField(const std::string& name, int value) override {
        if (name != "PGA") return {RemoteOutcome::OutOfRange, "no field " + name};
        return WriteRegister(-1, value);
    }
    RemoteResult ReadField(const std::string& name, int& value) override {
        if (name != "PGA") return {RemoteOutcome::OutOfRange, "no field " + name};
        return ReadRegister(-1, value);
    }

    RemoteCaptureSettings CaptureSettings() const override { return Settings; }
    RemoteResult SetCaptureSettings(const RemoteCaptureSettings& settings) override {
        Settings = settings;
        return {};
    }
    RemoteResult Capture() override { return Operate(Captured = true); }
    void Abort() override { ++Aborts; }
    RemoteResult Figures(RemoteFigures& figures) const override {
        if (!Captured) return {RemoteOutcome::NoData, {}};
        for (int i = 0; i < 6; ++i) figures.Values[i] = i + 0.5;
        figures.Values[6] = std::nan(""); // a figure that could not be computed
        return {};
    }
    RemoteResult Samples(std::vector<double>& samples) const override {
        if (!Captured) return {RemoteOutcome::NoData, {}};
        samples = SampleValues;
        return {};
    }

    RemoteResult RunTemperaturePlan(const std::string&) override { return Operate(true); }
    RemoteRunState RunState() const override { return {true, 2, 5, "soak", 120}; }

    bool BusyNow = false;
    // Runs inside Capture and RunTemperaturePlan while they hold the link.
    std::function<void()> During;
    RemoteCaptureSettings Settings;
    bool Captured = false;
    std::vector<double> SampleValues{1, -2, 65536};
    std::string Chip = "QN7401";
    std::map<int, int> Registers;
    int Aborts = 0;

  private:
    RemoteResult Operate(bool) {
        operating_ = true;
        if (During) During();
        operating_ = false;
        return {};
    }
    bool operating_ = false;
};

} // namespace qn::test
