// The calibrator's and the power supply's step tables: one command per test step.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qn {

inline constexpr size_t kDefaultStepCount = 48;
inline constexpr const char* kStepHeaders[3] = {"序號", "Step", "輸入值"};

struct StepRow {
    std::string Step;  // the step switch: on when a non-zero hexadecimal number
    std::string Input; // the command line sent for the step
};

class StepTable {
  public:
    StepTable() { Resize(kDefaultStepCount); }
    // M steps: rows 1..M (row 0 is the header row); contents of kept rows stay.
    void Resize(size_t steps) { rows_.resize(steps + 1); }
    size_t Steps() const { return rows_.size() - 1; }
    // Row r, 1-based; r must be 1..Steps().
    StepRow& Row(size_t r) { return rows_.at(r); }
    const StepRow& Row(size_t r) const { return rows_.at(r); }
    // True when row r exists and its "Step" cell holds a non-zero hexadecimal number.
    bool StepOn(size_t r) const;

  private:
    std::vector<StepRow> rows_;
};

// True when the cell holds a non-zero hexadecimal number: empty, "0" or any other character off.
bool StepCellOn(const std::string& cell);

} // namespace qn
