// libFuzzer target: arbitrary bytes as the run journal. The first byte chooses whether each line
// gets a correct checksum in front (so the fuzzer reaches the record readers) or stays as it is.
// A journal read, written again record by record and read once more must give the same contents,
// with nothing damaged the second time.
#include "FuzzCheck.h"
#include "run/RunJournal.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace qn::fuzz {

// Each line of `text` with the checksum of its bytes in front, as the journal writes records.
std::string WithChecksums(std::string_view text) {
    std::string out;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view payload = text.substr(start, end - start);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08lX\t",
                      crc32(0L, reinterpret_cast<const Bytef*>(payload.data()),
                            static_cast<uInt>(payload.size())));
        out.append(hex).append(payload);
        if (end < text.size()) out += '\n';
        start = end + 1;
    }
    return out;
}

// The journal's records written again: the plan, the attempts, the notes, the end.
std::string Rewritten(const RunJournalContents& contents) {
    if (!contents.HasPlan) return {};
    std::string text = JournalPlanRecord(contents.Plan);
    for (const JournalAttempt& attempt : contents.Attempts) text += JournalAttemptRecord(attempt);
    for (const std::string& note : contents.Notes) {
        // A note reads back as "<time> <text>": split at the first blank it joins again.
        const size_t blank = note.find(' ');
        Require(blank != std::string::npos);
        text += JournalNoteRecord(note.substr(0, blank), note.substr(blank + 1));
    }
    if (contents.Ended) text += JournalEndRecord(contents.Completed);
    return text;
}

void Fuzz(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const std::string_view raw = Text(data + 1, size - 1);
    const std::string text = (data[0] & 1) != 0 ? WithChecksums(raw) : std::string(raw);

    const RunJournalContents first = ParseRunJournal(text);
    Require(first.WholeBytes <= text.size());
    Require(first.WholeBytes == 0 || text[first.WholeBytes - 1] == '\n' ||
            text[first.WholeBytes - 1] == '\r');
    // Damaged stretches are named up to ten, then counted, then the plan or another run.
    Require(first.Damage.size() <= 12);
    if (!first.HasPlan)
        return Require(first.Attempts.empty() && first.Notes.empty() && !first.Ended);
    Require(first.NextRow() >= 1 && first.NextRow() <= first.Plan.TempCount() + 1);
    // What resuming and rebuilding the result files take from a journal.
    sink = sink + JournalResults(first).TempCount() + NextFullFileNumber(first).value_or(0);

    const std::string written = Rewritten(first);
    const RunJournalContents second = ParseRunJournal(written);
    Require(second.WholeBytes == written.size());
    Require(second.HasPlan && second.Ended == first.Ended && second.Completed == first.Completed);
    Require(second.Attempts.size() == first.Attempts.size() && second.Notes == first.Notes);
    Require(second.Damage.empty() && !second.OtherRunFollows);
    for (size_t i = 0; i < first.Attempts.size(); ++i)
        Require(second.Attempts[i].Captured == first.Attempts[i].Captured);
    Require(Rewritten(second) == written);
}

} // namespace qn::fuzz
