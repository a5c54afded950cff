// libFuzzer target: arbitrary bytes as the lines a remote client sends, over a fake bench that
// takes some of them while its capture or run is on. Every reply ends its line, the error queue
// keeps its length, nothing stays held once a line has been answered, and the capture settings
// the tree sets stay within their ranges.
#include "FuzzCheck.h"
#include "remote/FakeRemoteBench.h"
#include "remote/RemoteSession.h"

#include <deque>

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    if (size == 0) return;
    // The first byte: bit 0 the bench busy with a window's operation, bit 1 block averages for
    // samples, bits 2 and 3 how many lines arrive during each capture or run.
    const uint8_t options = data[0];
    std::deque<std::string> lines;
    for (std::string_view text = Text(data + 1, size - 1); !text.empty();) {
        const size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }

    test::FakeRemoteBench bench;
    bench.BusyNow = (options & 1) != 0;
    if ((options & 2) != 0) bench.SampleValues = {0.5, -1e300, 3};
    RemoteSession session(bench);
    const auto answerNext = [&] {
        // Taken off first: the line's own capture or run may take the next ones.
        const std::string line = std::move(lines.front());
        lines.pop_front();
        const std::string reply = session.HandleLine(line);
        Require(reply.empty() || reply.back() == '\n');
    };
    bench.During = [&] {
        for (int i = 0; i < ((options >> 2) & 3) && !lines.empty(); ++i) answerNext();
    };
    while (!lines.empty()) {
        answerNext();
        Require(session.HeldLines() == 0);
        Require(session.State().Errors.Count() <= ErrorQueue::kCapacity);
    }
    const RemoteCaptureSettings& settings = bench.Settings;
    Require(settings.Points >= 1 && settings.Points <= 65536);
    Require(settings.ScaleBits >= 8 && settings.ScaleBits <= 23);
    Require(settings.Average >= 1 && settings.Average <= 32);
    Require(settings.ReferenceVolts >= 0 && settings.ReferenceVolts <= 10);
    // Every entry reads back in the standard form.
    while (session.State().Errors.Count() > 0) {
        const std::string entry = session.HandleLine("SYST:ERR?");
        Require(entry.size() > 4 && entry.find(",\"") != std::string::npos &&
                entry.compare(entry.size() - 2, 2, "\"\n") == 0);
    }
}
