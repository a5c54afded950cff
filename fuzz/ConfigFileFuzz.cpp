// libFuzzer target: arbitrary bytes as QnADC.cfg. A text that loads must leave a state whose
// written file loads into the same state again; a text with the wrong title changes nothing.
#include "FuzzCheck.h"
#include "shell/settings/ConfigFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using qn::fuzz::Require;
using qn::fuzz::sink;

// The state the file is read into, as the main window starts with it.
struct State {
    qn::STND Stnd;
    std::array<uint8_t, 6> PresetA{};
    std::array<uint8_t, 6> PresetB{};
    qn::LinkOptions Options;
    qn::Settings Values;
    uint8_t Page = 0;
    uint8_t Bank = 0;
    std::vector<uint16_t> Selected;

    qn::ConfigTargets Targets() { return {Stnd, PresetA, PresetB, Options, Values, Page, Bank}; }
    qn::SelectChipFn Select() {
        return [this](uint16_t chip) { Selected.push_back(chip); };
    }
    std::string Text() { return qn::FormatConfig(Targets()); }
    qn::ConfigLoadResult Apply(std::string_view text) {
        return qn::ApplyConfig(text, Targets(), Select());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    State first;
    const std::string before = first.Text();
    const qn::ConfigLoadResult read = first.Apply(text);
    Require(read.SectionsRead >= 0 && read.SectionsRead <= qn::kConfigSections);
    for (const std::string& note : read.Mended) sink = sink + note.size();
    if (read.Outcome != qn::ConfigOutcome::Loaded) {
        Require(first.Text() == before && first.Selected.empty());
        return 0;
    }
    Require(first.Selected.size() <= 1);
    // The forced serial settings hold after every load.
    Require(first.Stnd.BaudIndex == qn::kForcedBaudIndex &&
            first.Stnd.ComIndex == qn::kForcedComIndex &&
            first.Stnd.ParityIndex == qn::kForcedParityIndex);

    const std::string written = first.Text();
    State second;
    const qn::ConfigLoadResult again = second.Apply(written);
    Require(again.Outcome == qn::ConfigOutcome::Loaded &&
            again.SectionsRead == qn::kConfigSections);
    Require(second.Text() == written);
    Require(second.Values == first.Values && second.PresetA == first.PresetA &&
            second.PresetB == first.PresetB && second.Page == first.Page &&
            second.Bank == first.Bank);
    return 0;
}
