// Numbers as the result panels and the data file show them.
#pragma once

#include <string>

namespace qn {

// `value` with two decimals and a decimal point, whatever the locale ("-12.35").
std::string TwoDecimals(double value);

} // namespace qn
