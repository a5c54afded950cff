// The power supply's exchanges: every command a query with CR LF, repeated once when unanswered.
#include "instruments/PowerSupply.h"
#include "files/NoCase.h"

#include <charconv>
#include <cstring>

namespace qn {
namespace {

constexpr double kDefaultDelayMs = 500;
constexpr size_t kShortestIdentity = 8; // an identity of this length or less is refused

} // namespace

bool PowerSupply::Query(const std::string& text) {
    std::string answer;
    return ports_.SendQuery(ports_.PowerPort, text, answer);
}

bool PowerSupply::Identify() {
    DevcRS232& port = ports_.PowerPort;
    if (port.IsOpen()) {
        port.Line->SetDtr(false);
        port.Line->DiscardInput();
        port.Line->SetDtr(true);
    }
    static constexpr char kRemote[] = "SYST:REM\r\n";
    ports_.WriteBytes(port, reinterpret_cast<const uint8_t*>(kRemote), std::strlen(kRemote));
    // The supply is left at 0 V, 0 A with its output off.
    if (!LookOnly) {
        Query("VOLT 0.0");
        Query("CURR 0.0");
        Query("OUTP OFF");
    }
    std::string answer;
    const bool answered = ports_.SendQuery(port, "*IDN?", answer);
    Identity = answer;
    return answered && answer.size() > kShortestIdentity &&
           answer.compare(0, 15, kSupplyIdentity) == 0;
}

void PowerSupply::PlayStep(const std::string& stepCell, const std::string& command,
                           const std::string& delayText) {
    if (!Query(command)) Query(command);
    if (!StartsWithNoCase(command, "OUTP OFF") && !Query("OUTP ON")) Query("OUTP ON");
    const double delay = DelayMs(delayText);
    if (Wait)
        Wait(delay);
    else
        ports_.Pause(delay);
    ports_.Status().SetPanelText(kSupplyStepPanel, stepCell + " - " + command);
}

bool PowerSupply::OutputOff() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Query("OUTP OFF");
        std::string answer;
        if (ports_.SendQuery(ports_.PowerPort, "OUTP?", answer) && answer.starts_with("0"))
            return true;
    }
    return false;
}

double PowerSupply::DelayMs(const std::string& delayText) {
    int value = 0;
    const char* end = delayText.data() + delayText.size();
    const auto [stop, error] = std::from_chars(delayText.data(), end, value);
    if (delayText.empty() || error != std::errc() || stop != end) return kDefaultDelayMs;
    return value;
}

} // namespace qn
