// Reads one received line into its program message units: each unit's header (a common command
// such as *IDN? or a path of mnemonics such as :CAPT:POIN) and its arguments, or the command error
// that ends the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qn {

struct ScpiArgument {
    // Number: decimal (1, -2.5, 1E3) or #H/#Q/#B (#H1F). String: "..." or '...' (a doubled quote
    // inside is one quote). Word: character data such as INT or NORMal. Block: #<n><len><bytes>.
    enum class Kind { Number, String, Word, Block };
    Kind Type = Kind::Number;
    double Number = 0;
    std::string Text; // the string's content, the word, the block's bytes
};

struct ScpiUnit {
    bool Common = false; // "*IDN?": Mnemonics holds the one word "IDN"
    bool Rooted = false; // the header began with ":"
    bool Query = false;
    std::vector<std::string> Mnemonics;
    std::vector<ScpiArgument> Arguments;
    // A command error in this unit (-101, -102, -123, -151): neither it nor any unit after it runs.
    int Error = 0;
    std::string Message;
};

// The units of `line` separated by ";", up to and including the first one with an error. Units
// that hold only spaces are left out. Characters outside printable ASCII are refused (-101)
// everywhere but inside strings and blocks.
std::vector<ScpiUnit> ParseScpiLine(std::string_view line);

} // namespace qn
