// The line server's framing over a real loopback connection: lines cut at LF whatever the
// segments, CR LF accepted, over-long lines dropped whole without being kept.
#include "platform/LineServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qn {
namespace {

constexpr size_t kTestLimit = 8;

class LineServerTest : public ::testing::Test {
  protected:
    // The application first: the sockets below need its event loop.
    int argc = 1;
    char name[18] = "line_server_tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication application{argc, argv};

    void Start(size_t limit) {
        server = std::make_unique<LineServer>(
            LineServer::Handlers{{},
                                 [this](std::string_view line) { events.emplace_back(line); },
                                 [this] { events.emplace_back("<too long>"); },
                                 {}},
            "busy\n", limit);
        ASSERT_EQ(server->Listen("127.0.0.1", 0), "");
        client.connectToHost("127.0.0.1", server->Port());
        ASSERT_TRUE(Until([this] { return server->HasClient(); }));
    }

    // Lets events through until `done` holds or `ms` passed.
    template <typename Done> static bool Until(Done done, qint64 ms = 2000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        return done();
    }

    // Each chunk goes out on its own and is taken before the next is sent.
    void Send(const std::vector<std::string>& chunks) {
        for (const std::string& chunk : chunks) {
            client.write(chunk.data(), static_cast<qint64>(chunk.size()));
            client.flush();
            Until([this] { return client.bytesToWrite() == 0; });
            Until([] { return false; }, 20); // the server's turn to read
        }
    }

    std::unique_ptr<LineServer> server;
    QTcpSocket client;
    std::vector<std::string> events;
};

TEST_F(LineServerTest, LinesAreCutAtLineFeedsWhateverTheSegments) {
    // The segments sent, and the lines (or over-long lines) taken from them.
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"a\nb\n"}, {"a", "b"}},
        {{"a\r\n", "\n"}, {"a", ""}},
        {{"ab", "c", "\n"}, {"abc"}},
        {{"12345678\n"}, {"12345678"}},                            // the limit
        {{"1234567", "8\r", "\n"}, {"12345678"}},                  // its CR is not counted
        {{"123456789\nok\n"}, {"<too long>", "ok"}},               // one past it
        {{"1234", "56789abc", "def\r\nx\n"}, {"<too long>", "x"}}, // over it across segments
        {{"half"}, {}},                                            // no LF yet
    };
    for (const auto& [sent, lines] : cases) {
        Start(kTestLimit);
        Send(sent);
        Until([&] { return events.size() >= lines.size(); });
        EXPECT_EQ(events, lines) << sent.front();
        client.abort();
        events.clear();
    }
}

TEST_F(LineServerTest, AnOverLongLineIsDroppedAsItComes) {
    constexpr size_t kLimit = 64 * 1024;
    Start(kLimit);
    const std::string megabyte(1024 * 1024, 'x');
    client.write(megabyte.data(), static_cast<qint64>(megabyte.size()));
    size_t mostKept = 0;
    Until([&] {
        mostKept = std::max(mostKept, server->KeptBytes());
        return client.bytesToWrite() == 0;
    });
    Send({"\nnext\n"});
    Until([this] { return events.size() >= 2; });
    EXPECT_LE(mostKept, kLimit + 1);
    EXPECT_EQ(events, (std::vector<std::string>{"<too long>", "next"}));
}

} // namespace
} // namespace qn
