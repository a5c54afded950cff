// A whole file's bytes and the state QnADC.cfg reads and writes, for the settings file tests.
#pragma once

#include "TestDoubles.h"
#include "shell/settings/ConfigFile.h"
#include "shell/settings/SettingsIo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qn::test {

inline std::string Slurp(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(ReadFileContents(path, contents)) << path;
    return contents;
}

// The state QnADC.cfg reads and writes, with a chip selection that records its calls.
class ConfigFixture : public ::testing::Test {
  protected:
    STND stnd;
    std::array<uint8_t, 6> presetA{};
    std::array<uint8_t, 6> presetB{};
    LinkOptions options;
    Settings values;
    uint8_t page = 0;
    uint8_t bank = 0;
    ConfigTargets targets{stnd, presetA, presetB, options, values, page, bank};
    TempFolder folder;
    std::string path = folder.File("QnADC.cfg");
    std::vector<uint16_t> chipsSelected;
    std::vector<uint16_t> interfaceAtSelection;

    // The selection sees the forced link and switches to another, as "52K12" does.
    SelectChipFn SelectChip() {
        return [this](uint16_t chip) {
            chipsSelected.push_back(chip);
            interfaceAtSelection.push_back(stnd.Interface);
            stnd.Interface = kLinkSpecial;
        };
    }

    // The state of a start before any file: nothing loaded, nothing selected.
    void Fresh() {
        stnd = STND{};
        values = Settings{};
        presetA = {};
        chipsSelected.clear();
        interfaceAtSelection.clear();
    }

    ConfigLoadResult LoadText(const std::string& text) {
        EXPECT_TRUE(ReplaceFileContents(path, text));
        return LoadConfig(path, targets, SelectChip());
    }
};

} // namespace qn::test
