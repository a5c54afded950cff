// The stability gate's settings in the plan file: named only when a gate is chosen, read back
// whole, and refused with a message that names the line and the limit.
#include "run/TempPlanFile.h"
#include "run/TempRunLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace qn {
namespace {

struct Parts {
    TempTestPlan Plan;
    StepTable Fluke;
    StepTable Power;
    PlanPorts Ports;
    TempPlanParts Of() { return {Plan, Fluke, Power, Ports}; }
    std::string Text() const { return FormatTempPlan(Plan, Fluke, Power, Ports); }
};

// The band rule's plan names no gate setting, so it reads as a plan written before the gate;
// a chosen gate and all its settings come back from the file.
TEST(SoakGatePlan, GateKeysAreWrittenOnlyWithAGateAndReadBack) {
    Parts band;
    for (const char* key :
         {"SoakGate", "GateMinutes", "GateBand", "GateSpread", "BoardChange", "GateLimitMinutes"})
        EXPECT_EQ(band.Text().find(key), std::string::npos) << key;

    Parts gated;
    TempRunSettings& s = gated.Plan.Settings;
    s.Gate = SoakRule::Board;
    s.GateMinutes = "7.5", s.GateBand = "0.8", s.GateSpread = "0.25", s.BoardChange = "0.05";
    s.GateLimitMinutes = "90";
    Parts read;
    ASSERT_EQ(ApplyTempPlan(gated.Text(), read.Of()), "");
    EXPECT_EQ(read.Text(), gated.Text());
    EXPECT_EQ(read.Plan.Settings.Gate, SoakRule::Board);
    EXPECT_EQ(read.Plan.Settings.BoardChange, "0.05");
    EXPECT_NE(gated.Text().find("SoakGate=Board\r\nGateMinutes=7.5\r\n"), std::string::npos);
}

TEST(SoakGatePlan, GateSettingsPastTheirLimitsAreRefused) {
    const struct {
        const char* Text;
        const char* Error;
    } cases[] = {
        {"[run]\nSoakGate=Oven\n", "line 2: SoakGate \"Oven\" is not one of Band, Chamber, Board"},
        {"[run]\nGateMinutes=0\n",
         "line 2: GateMinutes \"0\" is not a number of minutes above 0 and at most 1440"},
        {"[run]\nGateSpread=-0.1\n",
         "line 2: GateSpread \"-0.1\" is not a number of °C from 0 to 50"},
        {"[run]\nGateLimitMinutes=x\n", "line 2: GateLimitMinutes \"x\" is not a number of"},
        {"[run]\nSoakGate=Chamber\nGateMinutes=30\nGateLimitMinutes=20\n",
         "line 2: Give the row up after \"20\" is shorter than Stable for (30 min)"},
        {"[run]\nSoakMinutes=60\nSoakGate=Board\nGateLimitMinutes=45\n",
         "line 3: Give the row up after \"45\" is shorter than 等待溫度穩定時間 (60 min)"},
    };
    for (const auto& c : cases) {
        Parts read;
        EXPECT_EQ(ApplyTempPlan(c.Text, read.Of()).rfind(c.Error, 0), 0u)
            << c.Text << " gave " << ApplyTempPlan(c.Text, read.Of());
    }
    // A limit shorter than the window matters only when a gate is chosen; a run's start refuses
    // it as the plan file does.
    TempTestPlan plan;
    plan.Settings.GateLimitMinutes = "1";
    EXPECT_EQ(RunLimitsRefused(plan), "");
    plan.Settings.Gate = SoakRule::Chamber;
    EXPECT_EQ(RunLimitsRefused(plan),
              "Give the row up after \"1\" is shorter than Stable for (5 min)");
}

} // namespace
} // namespace qn
