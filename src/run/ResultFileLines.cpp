// Kept lines of the B and multimeter files, formatted again only when their step changed.
#include "run/ResultFileLines.h"

#include "run/TempResultFiles.h"

#include <utility>

namespace qn {
namespace {

uint32_t Offset(size_t bytes) {
    return static_cast<uint32_t>(bytes);
}

} // namespace

template <typename LineFn>
std::vector<std::string_view> ResultFileLines::Pieces(Kept& kept, const TempResults& results,
                                                      bool alternate, std::string heading,
                                                      LineFn line) {
    const size_t steps = results.StepCount();
    if (kept.Table != results.Table() || kept.Steps != steps || kept.Alternate != alternate ||
        kept.Rows.size() != results.TempCount())
        kept = Kept{results.Table(), steps, alternate, {}, std::vector<Row>(results.TempCount())};
    kept.Heading = std::move(heading);
    std::vector<std::string_view> pieces{kept.Heading};
    for (size_t row = 1; row <= kept.Rows.size(); ++row) {
        Row& keptRow = kept.Rows[row - 1];
        if (keptRow.Ends.empty()) {
            for (size_t step = 1; step <= steps; ++step) {
                keptRow.Text += line(row, step);
                keptRow.Ends.push_back(Offset(keptRow.Text.size()));
                keptRow.Changes.push_back(results.Changes(row, step));
            }
        }
        for (size_t step = 1; step <= steps; ++step) {
            const uint32_t changes = results.Changes(row, step);
            if (keptRow.Changes[step - 1] == changes) continue;
            const size_t begin = step == 1 ? 0 : keptRow.Ends[step - 2];
            const size_t length = keptRow.Ends[step - 1] - begin;
            const std::string text = line(row, step);
            keptRow.Text.replace(begin, length, text);
            // The lines after this one move by the difference in length.
            const uint32_t added = Offset(text.size()) - Offset(length);
            for (size_t after = step - 1; after < steps; ++after) keptRow.Ends[after] += added;
            keptRow.Changes[step - 1] = changes;
        }
        pieces.emplace_back(keptRow.Text);
    }
    return pieces;
}

std::vector<std::string_view> ResultFileLines::BPieces(const TempResults& results, bool alternate) {
    return Pieces(
        b_, results, alternate, TempBFileHeading(alternate),
        [&](size_t row, size_t step) { return TempBFileLine(results, row, step, alternate); });
}

std::vector<std::string_view> ResultFileLines::MeterPieces(const TempResults& results) {
    return Pieces(meter_, results, false, MeterFileHeading(),
                  [&](size_t row, size_t step) { return MeterFileLine(results, row, step); });
}

std::string Joined(const std::vector<std::string_view>& pieces) {
    std::string text;
    for (const std::string_view piece : pieces) text += piece;
    return text;
}

} // namespace qn
