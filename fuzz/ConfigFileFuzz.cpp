// libFuzzer target: arbitrary bytes as QnADC.cfg. A text that loads must leave a state whose
// written file loads into the same state again; a text with the wrong title changes nothing.
#include "FuzzCheck.h"
#include "shell/settings/ConfigFile.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    // The state the file is read into, as the main window starts with it.
    struct State {
        STND Stnd;
        std::array<uint8_t, 6> PresetA{}, PresetB{};
        LinkOptions Options;
        Settings Values;
        uint8_t Page = 0, Bank = 0;
        std::vector<uint16_t> Selected;

        ConfigTargets Targets() { return {Stnd, PresetA, PresetB, Options, Values, Page, Bank}; }
        std::string Text() { return FormatConfig(Targets()); }
        ConfigLoadResult Apply(std::string_view text) {
            return ApplyConfig(text, Targets(),
                               [this](uint16_t chip) { Selected.push_back(chip); });
        }
    };
    State first;
    const std::string before = first.Text();
    const ConfigLoadResult read = first.Apply(Text(data, size));
    Require(read.SectionsRead >= 0 && read.SectionsRead <= kConfigSections);
    for (const std::string& note : read.Mended) sink = sink + note.size();
    if (read.Outcome != ConfigOutcome::Loaded)
        return Require(first.Text() == before && first.Selected.empty());
    Require(first.Selected.size() <= 1);
    // The forced serial settings hold after every load.
    Require(first.Stnd.BaudIndex == kForcedBaudIndex && first.Stnd.ComIndex == kForcedComIndex &&
            first.Stnd.ParityIndex == kForcedParityIndex);

    const std::string written = first.Text();
    State second;
    const ConfigLoadResult again = second.Apply(written);
    Require(again.Outcome == ConfigOutcome::Loaded && again.SectionsRead == kConfigSections);
    Require(second.Text() == written);
    Require(second.Values == first.Values && second.PresetA == first.PresetA &&
            second.PresetB == first.PresetB && second.Page == first.Page &&
            second.Bank == first.Bank);
}
