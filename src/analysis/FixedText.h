// Numbers as the result panels and the data file show them.
#pragma once

#include <string>

namespace qn {

// `value` with `decimals` decimals and a decimal point, whatever the locale ("-12.35" for 2).
std::string FixedDecimals(double value, int decimals);
// `value` with two decimals, as the result panels and files show it.
std::string TwoDecimals(double value);

} // namespace qn
