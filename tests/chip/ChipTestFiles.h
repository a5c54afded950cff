// Chip selection tests: selecting from a folder's chip list, and a private INCLUDE folder to write
// a chip list and chip files into.
#pragma once

#include "TestDoubles.h"
#include "chip/ChipCatalogue.h"
#include "chip/ChipModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace qn::test {

// Selects chips from the chip list in `dir`, the shipped INCLUDE folder unless a test says
// otherwise.
class ChipSelectTest : public ::testing::Test {
  protected:
    bool Select(uint16_t index) {
        outcome = ChipCatalogue(dir).SelectChip(model, index, flag3);
        return outcome.Read;
    }

    std::filesystem::path dir = QN_INCLUDE_DIR;
    ChipModel model;
    ChipSelectOutcome outcome;
    bool flag3 = true;
};

class ChipFileTest : public ChipSelectTest {
  protected:
    ChipFileTest() { dir = folder.Path(); }

    // Writes `text` to `name` in the folder, LF line ends turned into the chip files' CR LF.
    void Write(std::string_view name, std::string_view text) const {
        std::ofstream out(dir / std::string(name), std::ios::binary);
        for (const char c : text) out << (c == '\n' ? "\r\n" : std::string(1, c));
    }

    // Makes `body` the only chip of the list and selects it.
    bool SelectBody(std::string_view body) {
        Write("QnSel.INC", "TEST.INC (T) TEST\n");
        Write("TEST.INC", body);
        return Select(0);
    }

  private:
    TempFolder folder;
};

} // namespace qn::test
