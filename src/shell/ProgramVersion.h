// The program's name and version, as the main window's caption and the files it writes show them.
#pragma once

#include <string_view>

namespace qn {

inline constexpr std::string_view kProgramName = "Qn-740xTEST";
inline constexpr std::string_view kProgramVersion = "V1.3";

} // namespace qn
