// Builds the bench from the outside world it is given, and resets and releases its links.
#include "shell/Bench.h"

#include "analysis/AdcGain.h"
#include "analysis/SampleRate.h"
#include "chip/RegField.h"
#include "shell/Snapshot.h"

#include <filesystem>

namespace qn {

Bench::Bench(const Platform& platform, std::string programDir, std::filesystem::path includeDir)
    : programDir_(std::move(programDir)), catalogue_(std::move(includeDir)),
      status_(platform.Status), Guard(platform.Time, platform.Windows, platform.Panels),
      Usb(platform.Hid, platform.Driver),
      Chip(Stnd, Usb, Guard, platform.Time, platform.Status, platform.Panels),
      Centre(Stnd, Usb, Chip, Guard, Config.AdcPanel, platform.Status, platform.Panels),
      Capture({Chip, Guard, platform.Time, platform.Status, Centre, samples_}),
      Ask(Guard, platform.Ask),
      Instruments(platform.SerialPorts, platform.Time, platform.Status, Ask),
      Temp({Instruments, Centre, Chip, Stnd, Capture, samples_, Guard, platform.Time,
            platform.Status, Ask, programDir_},
           Plan) {
    Stnd.Serial.Line = platform.SerialPorts.MakeLine();
    Chip.SetChip(&chipInfo_);
    // The journal of a run and its full data files each get the state that made them.
    tempSnapshots_ = Temp.FileWritten.Subscribe(
        [this](const std::string& path) { return WriteSnapshotBeside(*this, path); });
}

CaptureOptions Bench::CatchOptions() const {
    const AnalysisSettings& config = Config.Analysis;
    return {config.NPoint,     config.ScaleDiv, config.ScaleBits,
            config.ChangeMode, FrontEndGain(),  DecodeOptions{true, false},
            OutputRate()};
}

double Bench::FrontEndGain() const {
    return GetGain(Model, Stnd.RegImage);
}

double Bench::OutputRate() const {
    return ConfiguredOutputRate(Model, Stnd.RegImage).value_or(0);
}

bool Bench::SwitchAdcOn() {
    for (const char* name : {"ADCEN", "IRQEN"}) {
        const RegFieldDesc& enable = Model.AdcFields[name];
        if (!enable.Defined || ReadField(enable, Stnd.RegImage) != 0) continue;
        if (WriteChipField(enable, 1) != 1) return false;
    }
    return true;
}

bool Bench::SelectChip(uint16_t index) {
    Stnd.Chip = index;
    const ChipSelectOutcome outcome =
        catalogue_.SelectChip(Model, index, Config.Flags[kFlagAdcSection]);
    if (outcome.AsksSpecialLink) Stnd.Interface = kLinkSpecial;
    Chip.Options.Optocoupler = Model.Controls.OptocouplerChecked;
    return outcome.Read;
}

bool Bench::ChennalComChange() {
    Stnd.Interface = kLinkQn740x;
    return SelectChip(Stnd.Chip);
}

std::string Bench::SettingsPath() const {
    return programDir_ + std::string(kConfigFileName);
}

ConfigTargets Bench::SettingsTargets() {
    return ConfigTargets::Of(Stnd, Chip, Config, Model.CurrentPage, Model.CurrentBank);
}

ConfigLoadResult Bench::LoadSettings(const SelectChipFn& selectChip, bool writeNothing) {
    const std::string path = SettingsPath();
    const ConfigTargets targets = SettingsTargets();
    if (writeNothing && !std::filesystem::exists(path))
        return ApplyConfig(FormatConfig(targets), targets, selectChip);
    return LoadConfig(path, targets, selectChip);
}

bool Bench::SaveSettings(std::string* problem) {
    return SaveConfig(SettingsPath(), SettingsTargets(), problem);
}

uint32_t Bench::WriteChipField(const RegFieldDesc& field, uint32_t value) {
    WriteField(field, value, Stnd.RegImage,
               [this](int address, uint8_t byte) { Chip.WriteRegister(address, byte); });
    return ReadField(field, Stnd.RegImage);
}

void Bench::ResetLink() {
    Stnd.Usb.Handle = -1;
    Stnd.Usb.Open = false;
    Stnd.Serial.Selected = 0;
    Usb.IdleTicks = 0;
}

void Bench::Shutdown() {
    if (Stnd.Serial.IsOpen()) Stnd.Serial.Line->Close();
    Instruments.CloseAll();
    Centre.ReleaseUsb();
}

} // namespace qn
