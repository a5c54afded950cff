// libFuzzer target: arbitrary bytes as a state snapshot file. A snapshot that reads must write a
// text that reads again into the same snapshot; a refused one leaves the state as it was.
#include "FuzzCheck.h"
#include "shell/Snapshot.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    StateSnapshot first;
    first.Chip = "untouched";
    if (!ParseSnapshot(Text(data, size), first).empty()) {
        Require(first.Chip == "untouched");
        return;
    }
    const std::string written = SnapshotText(first);
    StateSnapshot second;
    Require(ParseSnapshot(written, second).empty());
    Require(SnapshotText(second) == written && second.RegImage == first.RegImage);
}
