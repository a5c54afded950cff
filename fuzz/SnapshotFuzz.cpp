// libFuzzer target: arbitrary bytes as a state snapshot file. A snapshot that reads must write a
// text that reads again into the same snapshot; a refused one leaves the state as it was.
#include "FuzzCheck.h"
#include "shell/Snapshot.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using qn::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qn::StateSnapshot first;
    first.Chip = "untouched";
    const std::string error = qn::ParseSnapshot(text, first);
    if (!error.empty()) {
        Require(first.Chip == "untouched");
        return 0;
    }
    const std::string written = qn::SnapshotText(first);
    qn::StateSnapshot second;
    Require(qn::ParseSnapshot(written, second).empty());
    Require(qn::SnapshotText(second) == written && second.RegImage == first.RegImage);
    return 0;
}
