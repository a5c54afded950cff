// One remote client's session over the bench: takes the lines the client sends and gives the
// replies to send back, keeping the client's error queue, status registers and data format.
#pragma once

#include "remote/RemoteBench.h"
#include "remote/RemoteCommands.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace qn {

// How the server drives a session:
//
// - Every line the client sends, without its LF, goes to HandleLine; whatever it returns goes to
//   the client as it is (it may be empty, and a binary block in it may hold any byte).
// - INITiate, MEASure:FIGures? and TEMPerature:RUN call the bench, which returns when the capture
//   or run has ended and lets the server's events through meanwhile. The server keeps reading
//   the client then and calls HandleLine again, re-entrantly, for each new line:
//   * a line of ABORt alone reaches RemoteBench::Abort at once;
//   * a line with *OPC?, *OPC or *WAI is held, and so is every line after it, as is any line
//     while the line in progress has a query to answer (the replies keep the order of the
//     queries); HandleLine returns "" for a held line;
//   * any other line runs at once: state queries (*IDN?, SYST:ERR?, TEMP:STAT?, CAPT:POIN?, ...)
//     are answered, commands that need the link get -221.
//   When the operation has ended, the outer HandleLine runs the held lines in order and returns
//   their replies after its own, so the server has nothing more to do for them.
// - The session must outlive its calls: a client that disconnects during an operation is best
//   answered with RemoteBench::Abort and the session deleted once the outer HandleLine returned.
// - A line longer than kLongestLine is dropped whole with -223: pass it to HandleLine, or, when
//   the server stops buffering at that length, call LineTooLong and drop the rest up to the LF.
class RemoteSession {
  public:
    static constexpr size_t kLongestLine = 65536;

    explicit RemoteSession(RemoteBench& bench) : bench_(bench) {}

    // One line without its LF (a CR at its end is dropped); the reply text, each reply line
    // ending in "\n"; empty when the line held no query or was held.
    std::string HandleLine(std::string_view line);
    // Queues -223 for a line the server dropped because it was too long.
    void LineTooLong();

    // Lines waiting for this session's operation to end.
    size_t HeldLines() const { return held_.size(); }
    const RemoteSessionState& State() const { return state_; }

  private:
    // Runs the line's commands; the replies of its queries as one reply line.
    std::string Run(std::string_view line);

    RemoteBench& bench_;
    RemoteSessionState state_;
    std::deque<std::string> held_;
    int answering_ = 0; // lines in progress with a query to answer
};

} // namespace qn
