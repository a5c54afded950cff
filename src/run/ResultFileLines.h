// The B and multimeter files' texts kept line by line between saves of a run.
#pragma once

#include "run/TempTestData.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// A line is formatted again only when its step's results (or its row's set points) changed
// since it was last formatted, so a save of a large run costs a write of kept text, not the
// formatting of every row and step. Each row's lines are kept together in one text. A file's
// pieces (its heading, then each row's lines) join to the text TempBFileText or MeterFileText
// makes, byte for byte, and stay valid until the next call.
class ResultFileLines {
  public:
    std::vector<std::string_view> BPieces(const TempResults& results, bool alternate);
    std::vector<std::string_view> MeterPieces(const TempResults& results);

  private:
    struct Row {
        std::string Text;
        std::vector<uint32_t> Ends;    // where each step's line ends in Text
        std::vector<uint32_t> Changes; // the step's change count when its line was formatted
    };
    struct Kept {
        uint64_t Table = 0;
        size_t Steps = 0;
        bool Alternate = false;
        std::string Heading;
        std::vector<Row> Rows; // empty until first formatted
    };
    template <typename LineFn>
    static std::vector<std::string_view> Pieces(Kept& kept, const TempResults& results,
                                                bool alternate, std::string heading, LineFn line);

    Kept b_;
    Kept meter_;
};

// The pieces as one text.
std::string Joined(const std::vector<std::string_view>& pieces);

} // namespace qn
