// The command tree of a remote session: one entry per command and per query form, found by the
// path of a header, and the state its handlers share with the session.
#pragma once

#include "remote/ErrorQueue.h"
#include "remote/RemoteBench.h"
#include "remote/ScpiParser.h"
#include "remote/ScpiReply.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// The bits of the IEEE 488.2 event status register (*ESR?) the session sets.
namespace esr {
inline constexpr uint8_t kOperationComplete = 0x01;
inline constexpr uint8_t kQueryError = 0x04;
inline constexpr uint8_t kDeviceError = 0x08;
inline constexpr uint8_t kExecutionError = 0x10;
inline constexpr uint8_t kCommandError = 0x20;
} // namespace esr

// What one client's session keeps between lines.
struct RemoteSessionState {
    ErrorQueue Errors;
    uint8_t EventStatus = 0;   // *ESR?
    uint8_t EventEnable = 0;   // *ESE
    uint8_t ServiceEnable = 0; // *SRE
    SampleFormat Format = SampleFormat::Ascii;
    bool MostSignificantFirst = false; // FORMat:BORDer NORMal; SWAPped (the default) is false
    int Operations = 0;                // captures and runs this session has in progress

    // Queues the error and sets its family's bit in the event status register.
    void Report(int code, std::string_view message = {});
};

// One command as its handler sees it.
struct RemoteCall {
    RemoteBench& Bench;
    RemoteSessionState& State;
    const std::vector<ScpiArgument>& Arguments;
    std::vector<std::string>& Replies; // the replies of the line so far
};

struct RemoteCommand {
    std::string_view Header; // "SYSTem:ERRor[:NEXT]" (a bracketed node may be left out), "*IDN"
    bool Query;
    bool NeedsLink; // refused with -221 while an operation holds the link
    size_t MinArguments;
    size_t MaxArguments;
    void (*Run)(RemoteCall& call);
};

// The entry for a common command's word or a tree path (every mnemonic from the root), in its
// query or command form; nullptr when the tree has none.
const RemoteCommand* FindRemoteCommand(const std::vector<std::string>& path, bool common,
                                       bool query);

// A sent mnemonic names a node in its short form (the capitals, CAPT) or its long form
// (CAPTURE), in any case.
bool MnemonicMatches(std::string_view sent, std::string_view node);

} // namespace qn
