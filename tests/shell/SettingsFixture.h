// A scratch folder and a set of configuration targets for the settings file tests.
#pragma once

#include "shell/settings/ConfigFile.h"
#include "shell/settings/SettingsIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace qn::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qnset.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    size_t EntryCount() const {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_))
            ++count;
        return count;
    }

  private:
    std::filesystem::path path_;
};

inline std::string Slurp(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(ReadFileContents(path, contents)) << path;
    return contents;
}

inline void Spit(const std::string& path, const std::string& contents) {
    ASSERT_TRUE(ReplaceFileContents(path, contents)) << path;
}

// The state QnADC.cfg reads and writes, with a chip selection that records its calls.
class ConfigFixture : public ::testing::Test {
  protected:
    STND stnd;
    std::array<uint8_t, 6> presetA{};
    std::array<uint8_t, 6> presetB{};
    LinkOptions options;
    Settings values;
    ConfigTargets targets{stnd, presetA, presetB, options, values};
    TempFolder folder;
    std::string path = folder.File("QnADC.cfg");
    std::vector<uint16_t> chipsSelected;
    std::vector<uint16_t> interfaceAtSelection;
    uint16_t interfaceChosenByChip = kLinkQn740x;

    SelectChipFn SelectChip() {
        return [this](uint16_t chip) {
            chipsSelected.push_back(chip);
            interfaceAtSelection.push_back(stnd.Interface);
            stnd.Interface = interfaceChosenByChip;
        };
    }

    ConfigLoadResult LoadText(const std::string& text) {
        Spit(path, text);
        return LoadConfig(path, targets, SelectChip());
    }
};

} // namespace qn::test
