// qn-simlab run as a child: its instruments answer over pseudo-terminals through the port map,
// and the tool's serial lines see the ports vanish when it dies.
#include "platform/QtSerialLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

namespace qn {
namespace {

void NeedApplication() {
    static int argc = 1;
    static char name[] = "simlab_pty_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// What arrives within `ms`, up to and including the first LF.
std::string ReadAnswer(SerialLine& line, int ms) {
    std::string answer;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms && answer.find('\n') == std::string::npos) {
        uint32_t errors = 0;
        size_t waiting = 0;
        if (line.QueryStatus(errors, waiting) && waiting > 0) {
            std::string part(waiting, '\0');
            part.resize(line.Read(reinterpret_cast<uint8_t*>(part.data()), waiting));
            answer += part;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return answer;
}

TEST(SimLabPty, InstrumentsAnswerOverPseudoTerminalsUntilTheServerDies) {
    NeedApplication();
    QTemporaryDir folder;
    QProcess simlab;
    simlab.start(QStringLiteral(QN_SIMLAB), {"--folder", folder.path()});
    ASSERT_TRUE(simlab.waitForReadyRead(5000)) << "no output";
    ASSERT_EQ(simlab.readLine().trimmed(), "ready");

    const struct {
        const char* Port;
        uint8_t StopBits;
        std::string Command, AnswerStart;
    } cases[] = {
        {"COM2", 2, "*IDN?\r\n", "HEWLETT-PACKARD,E3631A"},
        {"COM3", 1,
         "\x02"
         "01RSD,01,0010\r\n",
         "\x02"
         "01RSD,OK,"},
        {"COM1", 1, "OPER", ""}, // no answer before the CR
    };
    std::vector<std::unique_ptr<QtSerialLine>> lines;
    for (const auto& c : cases) {
        auto line = std::make_unique<QtSerialLine>(folder.path().toStdString());
        ASSERT_TRUE(line->Open(c.Port)) << c.Port;
        ASSERT_TRUE(line->Configure({9600, 8, Parity::None, c.StopBits})) << c.Port;
        line->Write(reinterpret_cast<const uint8_t*>(c.Command.data()), c.Command.size());
        const std::string answer = ReadAnswer(*line, c.AnswerStart.empty() ? 300 : 2000);
        EXPECT_EQ(answer.substr(0, c.AnswerStart.size()), c.AnswerStart) << c.Port;
        EXPECT_EQ(answer.empty(), c.AnswerStart.empty()) << c.Port;
        lines.push_back(std::move(line));
    }

    simlab.kill();
    ASSERT_TRUE(simlab.waitForFinished(2000));
    QElapsedTimer timer;
    timer.start();
    for (const auto& line : lines) {
        while (line->IsOpen() && timer.elapsed() < 1000) {
            uint32_t errors = 0;
            size_t waiting = 0;
            line->QueryStatus(errors, waiting);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(line->IsOpen()) << line->DevicePath();
        uint32_t errors = 0;
        size_t waiting = 0;
        EXPECT_FALSE(line->QueryStatus(errors, waiting));
    }
}

} // namespace
} // namespace qn
