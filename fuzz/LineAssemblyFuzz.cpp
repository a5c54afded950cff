// libFuzzer target: ReadLine over arbitrary input arriving in chunks at arbitrary times.
#include "FuzzAnswers.h"
#include "instruments/InstrumentPorts.h"

// Input layout: chunks of [delay in ms after the previous chunk][length][bytes].
void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    SimClock clock;
    auto line = std::make_unique<TimedLine>(clock);
    line->MaxRead = kTxBufferSize;
    std::string stream; // every byte in order of arrival
    double crAt = -1;   // arrival of the first CR
    double at = clock.SteadyMs();
    for (AnswerScript chunks(data, size); !chunks.Empty();) {
        const AnswerScript::Answer chunk = chunks.Next();
        at += chunk.Lead;
        if (crAt < 0 && chunk.Bytes.find('\r') != std::string::npos) crAt = at;
        stream += chunk.Bytes;
        line->Arrive(at, chunk.Bytes);
    }

    NoStatus status;
    InstrumentPorts ports(clock, status);
    ports.FlukePort.Line = std::move(line);
    ports.FlukePort.Line->Open("COM1");
    ports.FlukePort.Selected = 1;

    const size_t length = ports.ReadLine(ports.FlukePort);
    Require(length <= kLineAreaSize);
    const std::string text = ports.LineText(length);
    Require(text.find('\r') == std::string::npos);
    if (crAt < 0) Require(length == 0);
    // While nothing overflows a single read, the line is exactly what came before the first CR,
    // when that CR came in time.
    if (stream.size() <= kTxBufferSize) {
        const std::string before = stream.substr(0, stream.find('\r'));
        const bool inTime = crAt >= 0 && crAt <= kReadLineTimeoutMs;
        Require(text == (inTime ? before.substr(0, kLineAreaSize) : std::string()));
    }
    sink = sink + ports.ReadLine(ports.FlukePort);
}
