// libFuzzer target: arbitrary bytes as the chamber's answers to its write, read, temperature and
// identification exchanges.
#include "FuzzAnswers.h"
#include "instruments/BenchInstruments.h"
#include "instruments/Chamber.h"

#include <array>

// Input layout: operation bytes and answers interleaved. Every frame the chamber receives
// releases the next answer: two length bytes, then that many bytes of the input.
void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    // A read keeps within the buffer, and any word of it reads as a temperature in range.
    const auto checkRead = [](const InstrumentBuffers& buffers) {
        Require(buffers.BytesRead <= kRxBufferSize);
        for (size_t offset : {size_t{10}, size_t{15}, buffers.BytesRead, size_t{600}}) {
            const double celsius =
                ChamberCelsius(ChamberWord(buffers.RxBuffer.data(), buffers.BytesRead, offset));
            Require(celsius >= -3276.7 && celsius <= 3276.8);
        }
    };
    AnswerScript input(data, size);
    SimClock clock;
    NoStatus status;
    InstrumentPorts ports(clock, status);
    Chamber chamber(ports);
    auto line = std::make_unique<TimedLine>(
        clock, [&](TimedLine& to) { to.Arrive(clock.SteadyMs(), input.Text(input.Word())); });
    line->MaxRead = kTxBufferSize;
    ports.ChamberPort.Line = std::move(line);
    ports.ChamberPort.Line->Open("COM3");
    ports.ChamberPort.Selected = 1;
    const InstrumentBuffers& buffers = ports.Buffers;

    for (int step = 0; step < 16 && !input.Empty(); ++step) {
        const uint8_t op = input.Byte();
        const uint16_t address = input.Word();
        switch (op % 5) {
        case 0: {
            std::array<int, 4> words{};
            for (int& w : words) w = static_cast<int16_t>(input.Word());
            const size_t n = 1 + (op >> 3) % words.size();
            if (chamber.ChamberWrite(address, std::span(words.data(), n)))
                Require(ChamberAnswerOk(buffers.RxBuffer.data(), buffers.BytesRead));
            break;
        }
        case 1:
            sink = sink + chamber.ChamberRead(address, (op >> 3) % 8);
            checkRead(buffers);
            break;
        case 2: {
            uint16_t first = 0, second = 0;
            if (chamber.ReadTemp(first, second)) {
                checkRead(buffers);
                sink = sink + first + second;
            }
            break;
        }
        case 3:
            if (chamber.Identify()) Require(buffers.RxBuffer[0] == kStx);
            break;
        default: {
            const ChamberSetPoint row{input.Text(input.Byte() % 12), input.Text(4), input.Text(4),
                                      input.Text(4)};
            Require(ChamberTenths(row.Temperature) % 10 == 0);
            sink = sink + chamber.LoadTemp(row);
            break;
        }
        }
    }
}
