// Remote control in the window: the status bar's remote panel follows the server and its client,
// and a capture a remote client starts shows in the analysis window.
#include "ProgramFixture.h"

#include "analysis/ui/AnxADC.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTcpSocket>

namespace qn::test {
namespace {

template <typename Done> bool Until(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) QCoreApplication::processEvents();
    return done();
}

class RemoteControlTest : public ProgramFixture {};

TEST_F(RemoteControlTest, PanelFollowsTheClientAndARemoteCaptureReachesTheAnalysisWindow) {
    Connect(true);
    ASSERT_EQ(main->StartRemote("127.0.0.1", 0), "");
    const std::string endpoint = main->Remote()->Endpoint();
    const QString listening = QString::fromStdString("Remote: " + endpoint);
    EXPECT_EQ(main->RemotePanel->text(), listening);
    EXPECT_TRUE(main->RemotePanel->isVisible());

    QTcpSocket client;
    client.connectToHost("127.0.0.1",
                         static_cast<quint16>(std::stoi(endpoint.substr(endpoint.find(':') + 1))));
    EXPECT_TRUE(
        Until([&] { return main->RemotePanel->text() == listening + ", client 127.0.0.1"; }));
    EXPECT_TRUE(main->AnxADC->TXENOB->text().isEmpty());
    client.write("CAPT:POIN 256;:INIT;*OPC?\n");
    ASSERT_TRUE(Until([&] { return client.canReadLine(); }));
    EXPECT_EQ(client.readLine(), "1\n");
    EXPECT_FALSE(main->AnxADC->TXENOB->text().isEmpty());
    EXPECT_EQ(main->AnxADC->TXENOB->text().toStdString(), bench.Samples().Panels.Enob);

    client.abort();
    EXPECT_TRUE(Until([&] { return main->RemotePanel->text() == listening; }));
    main->StopRemote();
    EXPECT_FALSE(main->RemotePanel->isVisible());
}

} // namespace
} // namespace qn::test
