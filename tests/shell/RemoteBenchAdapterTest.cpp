// The bench's remote operations on the simulated bridge: the registers the link reaches and the
// values they take, Busy at once while another operation holds the link, an abort that ends only
// the remote operation, and what a capture leaves to fetch.
#include "shell/RemoteBenchAdapter.h"
#include "analysis/Decoding.h"
#include "shell/SimBenchFixture.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

namespace qn::test {
namespace {

class RemoteBenchAdapterTest : public SimBenchTest {
  protected:
    ShellRemoteBench remote{bench, {}};
};

// "QN740x" frames reach registers 0..4; a register holds a byte.
TEST_F(RemoteBenchAdapterTest, RegistersTheLinkReachesAndTheValuesTheyTake) {
    // The address, the value written (negative: a read), the outcome.
    const std::tuple<int, int, RemoteOutcome> cases[] = {
        {4, 0x12, RemoteOutcome::Done},     {5, 1, RemoteOutcome::OutOfRange},
        {-1, 0, RemoteOutcome::OutOfRange}, {4, 256, RemoteOutcome::OutOfRange},
        {4, -1, RemoteOutcome::Done},       {5, -1, RemoteOutcome::OutOfRange},
    };
    for (const auto& [address, value, outcome] : cases) {
        int read = -1;
        const RemoteResult result =
            value >= 0 ? remote.WriteRegister(address, value) : remote.ReadRegister(address, read);
        EXPECT_EQ(result.Outcome, outcome) << address << " " << value << result.Message;
        EXPECT_EQ(read, value < 0 && outcome == RemoteOutcome::Done ? 0x12 : -1);
    }
}

TEST_F(RemoteBenchAdapterTest, AnOperationHoldingTheLinkMakesEveryRemoteOneBusyAtOnce) {
    const auto window = bench.Guard.Begin();
    std::vector<RemoteOutcome> outcomes;
    pump.Once = true;
    pump.Message = [&] {
        int value = 0;
        world.Bridge.ClearLog();
        outcomes = {remote.WriteRegister(4, 1).Outcome, remote.ReadRegister(4, value).Outcome,
                    remote.Connect().Outcome, remote.Capture().Outcome};
    };
    bench.Guard.Pump();
    EXPECT_EQ(outcomes, std::vector<RemoteOutcome>(4, RemoteOutcome::Busy));
    EXPECT_TRUE(world.Bridge.Log().empty());
}

TEST_F(RemoteBenchAdapterTest, AbortEndsTheRemoteCaptureOnlyAndLeavesNothingToFetch) {
    RemoteFigures figures;
    std::vector<double> samples;
    pump.Message = [this] { remote.Abort(); };
    const RemoteResult aborted = remote.Capture();
    EXPECT_EQ(aborted.Outcome, RemoteOutcome::Failed);
    EXPECT_EQ(aborted.Message, "aborted");
    EXPECT_EQ(remote.Figures(figures).Outcome, RemoteOutcome::NoData);
    EXPECT_EQ(remote.Samples(samples).Outcome, RemoteOutcome::NoData);

    CaptureOptions window;
    window.NPoint = 256;
    EXPECT_TRUE(bench.Capture.CatchACDCOM("2.4", kMode24Interrupt, window));

    pump.Message = nullptr;
    ASSERT_EQ(remote.SetCaptureSettings({256, 23, 4, 0}).Outcome, RemoteOutcome::Done);
    ASSERT_EQ(remote.Capture().Outcome, RemoteOutcome::Done);
    ASSERT_EQ(remote.Samples(samples).Outcome, RemoteOutcome::Done);
    EXPECT_EQ(samples.size(), 64u); // block averages of 4
    ASSERT_EQ(remote.Figures(figures).Outcome, RemoteOutcome::Done);
    EXPECT_NEAR(figures.Values[0], std::accumulate(samples.begin(), samples.end(), 0.0) / 64, 1e-9);
}

} // namespace
} // namespace qn::test
