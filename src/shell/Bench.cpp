// Builds the bench from the outside world it is given, and resets and releases its links.
#include "shell/Bench.h"

#include "analysis/AdcGain.h"
#include "analysis/SampleRate.h"
#include "chip/RegField.h"
#include "shell/Snapshot.h"

namespace qn {

Bench::Bench(const Platform& platform, std::string programDir, std::filesystem::path includeDir)
    : ProgramDir(std::move(programDir)), Catalogue(std::move(includeDir)),
      Guard(platform.Time, platform.Windows, platform.Panels), Usb(platform.Hid, platform.Driver),
      Chip(Stnd, Usb, Guard, platform.Time, platform.Status, platform.Panels),
      Centre(Stnd, Usb, Chip, Guard, Config.AdcPanel, platform.Status, platform.Panels),
      Capture({Chip, Guard, platform.Time, platform.Status, Centre, Samples}),
      Ask(Guard, platform.Ask), Status(platform.Status), SerialPorts(platform.SerialPorts),
      Instruments(platform.SerialPorts, platform.Time, platform.Status, Ask),
      Temp({Instruments, Centre, Chip, Stnd, Capture, Samples, Guard, platform.Time,
            platform.Status, Ask, ProgramDir},
           Plan) {
    Stnd.Serial.Line = platform.SerialPorts.MakeLine();
    Chip.SetChip(&ChipInfo);
    // The journal of a run and its full data files each get the state that made them.
    TempSnapshots = Temp.FileWritten.Subscribe(
        [this](const std::string& path) { return WriteSnapshotBeside(*this, path); });
}

CaptureOptions Bench::CatchOptions() const {
    const AnalysisSettings& config = Config.Analysis;
    return {config.NPoint,
            config.ScaleDiv,
            config.ScaleBits,
            config.ChangeMode,
            GetGain(Model, Stnd.RegImage),
            DecodeOptions{true, false},
            ConfiguredOutputRate(Model, Stnd.RegImage).value_or(0)};
}

bool Bench::SwitchAdcOn() {
    for (const char* name : {"ADCEN", "IRQEN"}) {
        const RegFieldDesc& enable = Model.AdcFields[name];
        if (!enable.Defined || ReadField(enable, Stnd.RegImage) != 0) continue;
        WriteField(enable, 1, Stnd.RegImage,
                   [this](int address, uint8_t value) { Chip.WriteRegister(address, value); });
        if (ReadField(enable, Stnd.RegImage) != 1) return false;
    }
    return true;
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
