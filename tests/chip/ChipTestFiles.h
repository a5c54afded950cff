// A private INCLUDE folder for chip selection tests: writes a chip list and chip files, selects.
#pragma once

#include "chip/ChipCatalogue.h"
#include "chip/ChipModel.h"
#include "link/LinkRecords.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace qn::test {

// Text with LF line ends turned into the CR LF of the chip files.
inline std::string Crlf(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class ChipFileTest : public ::testing::Test {
  protected:
    ChipFileTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qnchipXXXXXX").string();
        dir = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        stnd.Interface = kLinkQn740x;
    }
    ~ChipFileTest() override {
        std::error_code error;
        if (!dir.empty()) std::filesystem::remove_all(dir, error);
    }

    // Writes `bytes` as they are to `name` in the folder.
    void WriteRaw(std::string_view name, std::string_view bytes) const {
        std::ofstream out(dir / std::string(name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    void Write(std::string_view name, std::string_view text) const { WriteRaw(name, Crlf(text)); }

    // Makes `body` the only chip of the list and selects it.
    bool SelectBody(std::string_view body) {
        Write("QnSel.INC", "TEST.INC (T) TEST\n");
        Write("TEST.INC", body);
        return Select(0);
    }
    bool Select(uint16_t index) { return ChipCatalogue(dir).SelectChip(model, index, stnd, flag3); }

    std::filesystem::path dir;
    ChipModel model;
    STND stnd;
    bool flag3 = true;
};

} // namespace qn::test
