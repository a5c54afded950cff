// The calibrator's command lines: each text followed by a lone CR, answers read back as one line.
#include "instruments/Calibrator.h"
#include "files/NoCase.h"

namespace qn {
void Calibrator::Send(const std::string& line) {
    ports_.SendText(ports_.FlukePort, line);
    ports_.SendText(ports_.FlukePort, "\r");
}

std::string Calibrator::Answer() {
    ports_.Pause(kCalibratorSettleMs);
    ports_.Buffers.TxBuffer.fill(0);
    return ports_.LineText(ports_.ReadLine(ports_.FlukePort));
}

std::string Calibrator::Command(const std::string& command) {
    Send(command);
    std::string answer = Answer();
    ports_.Status().SetPanelText(kCalibratorAnswerPanel, answer);
    return answer;
}

void Calibrator::Standby() {
    Command("STBY");
}

bool Calibrator::Operate() {
    return !Command("OPER").empty();
}

void Calibrator::PlayStep(const std::string& command, bool keepOn) {
    std::string answer;
    for (int attempt = 0; attempt < 2 && answer.empty(); ++attempt) {
        if (!keepOn) Send("STBY");
        Send(command);
        answer = Answer();
    }
    ports_.Status().SetPanelText(kCalibratorAnswerPanel, answer);
}

void Calibrator::OperateAfterStep(const std::string& command) {
    if (StartsWithNoCase(command, "STBY")) return;
    if (!Operate()) Operate();
}

void Calibrator::RangeLock(bool lock330mV, bool lock3V) {
    Send("STBY");
    // The output first goes to a value inside the wanted range, the range is locked there and
    // the output returns to 0 V inside it.
    if (lock3V || lock330mV) {
        Send("RANGELCK OFF");
        Send(lock3V ? "OUT 600 mV ,0 Hz " : "OUT 100 mV ,0 Hz ");
        Send("RANGELCK ON");
        Send("OUT 0 V ,0 Hz");
    } else {
        Send("RANGELCK OFF");
    }
}

bool Calibrator::Identify() {
    if (ports_.FlukePort.IsOpen()) ports_.FlukePort.Line->DiscardInput();
    Send("*OPT");
    ports_.Pause(kCalibratorSettleMs);
    Identity = ports_.LineText(ports_.ReadLine(ports_.FlukePort));
    return true; // the calibrator is taken whether or not it answered
}

} // namespace qn
