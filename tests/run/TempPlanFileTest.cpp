// The temperature plan file written and read back, the messages of plans it refuses, and the
// limits a plan must keep before a run starts, however it was set.
#include "run/TempPlanFile.h"
#include "run/TempRunLimits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

namespace qn {
namespace {

struct PlanParts {
    TempTestPlan Plan;
    StepTable Fluke;
    StepTable Power;
    PlanPorts Ports;
    TempPlanParts Parts() { return {Plan, Fluke, Power, Ports}; }
    std::string Text() const { return FormatTempPlan(Plan, Fluke, Power, Ports); }
};

// Every setting, row, step and port away from its default; cells that need quotes included.
TEST(TempPlanFile, WrittenAndReadBackGivesTheSamePlan) {
    // The band rule names no gate setting, so its plan reads as one written before the gate.
    for (const char* key : {"Gate", "BoardChange"})
        EXPECT_EQ(PlanParts().Text().find(key), std::string::npos) << key;
    PlanParts written;
    TempRunSettings& s = written.Plan.Settings;
    s.TempCount = "3", s.Start = "-5.5", s.Increment = "2.5", s.StepRows = "12";
    s.SoakMinutes = "7", s.SupplyDelay = "150", s.HoldCelsius = "31.5", s.LowestCelsius = "-60.5";
    s.Source = CaptureSource::Brymen, s.Measure = CaptureMeasure::Temperature;
    s.SaveFullFiles = s.KeepFlukeOn = s.Alternate = s.HoldChamber = s.SupplyOffAtEnd = true;
    s.Gate = SoakRule::Board, s.GateMinutes = "7.5", s.GateBand = "0.8", s.GateSpread = "0.25";
    s.BoardChange = "0.05", s.GateLimitMinutes = "90";
    written.Plan.SetTemperatureRows();
    written.Plan.Rows[2].Humidity = "40";
    written.Plan.SetStepRows(written.Fluke, written.Power);
    RegisterStepGrid& grid = written.Plan.RegChg;
    for (size_t c = 1; c <= 2; ++c) grid.Cell(c, 0) = "10" + std::to_string(c);
    for (size_t r = 1; r <= 3; ++r) {
        grid.Cell(1, r) = "0" + std::to_string(r);
        grid.Cell(2, r) = "8A";
        grid.Cell(kDelayColumn, r) = std::to_string(r * 10);
        grid.Cell(kAcmColumn, r) = "1.2";
    }
    written.Fluke.Row(2) = {"1", "OUT 100 mV ,0 Hz "};
    written.Power.Row(12) = {"0", "say \"hi\""};
    written.Ports = {4, 16, 0};

    const std::string text = written.Text();
    EXPECT_NE(text.find("SoakGate=Board\r\nGateMinutes=7.5\r\n"), std::string::npos);
    std::string lfOnly = text, crOnly = text;
    std::erase(lfOnly, '\r');
    std::erase(crOnly, '\n');
    for (const std::string& variant : {text, lfOnly, crOnly, "\xEF\xBB\xBF" + text}) {
        PlanParts read;
        ASSERT_EQ(ApplyTempPlan(variant, read.Parts()), "");
        EXPECT_EQ(read.Text(), text);
        EXPECT_EQ(read.Plan.StepCount(), 3u);
        EXPECT_EQ(read.Fluke.Row(2).Input, "OUT 100 mV ,0 Hz ");
        EXPECT_EQ(read.Power.Row(12).Input, "say \"hi\"");
        EXPECT_EQ(read.Ports, written.Ports);
        EXPECT_EQ(read.Plan.Settings.LowestCelsius, "-60.5");
        EXPECT_EQ(read.Plan.Settings.BoardChange, "0.05");
    }
}

// A plan without a [temperatures] section makes its rows from TempCount, Start and Increment as
// "SET" does: counting down, none below the plan's lowest set point.
TEST(TempPlanFile, RowsFollowFromTheSettingsWithoutATemperatureSection) {
    PlanParts read;
    ASSERT_EQ(ApplyTempPlan("[run]\nTempCount=9\nStart=-20\nIncrement=-10\nLowestCelsius=-45\n",
                            read.Parts()),
              "");
    ASSERT_EQ(read.Plan.TempCount(), 3u);
    EXPECT_EQ(read.Plan.Rows[3].Temperature, "-40.00");
}

TEST(TempPlanFile, BadPlansNameTheirLine) {
    const std::string huge(100'000, '7');
    // A plan's text and the start of the error it gets.
    const std::pair<std::string, const char*> cases[] = {
        {"TempCount=2\n", "line 1: text before the first [section]"},
        {"[run]\n[rum]\n", "line 2: unknown section \"[rum]\""},
        {"", "the plan sets no [run] key and no [temperatures] row"},
        {"# Start=25\r[run]\r", "the plan sets no [run] key"},
        {"[ports]\nChamber=COM3\n", "the plan sets no [run] key"},
        {"[run]\rTempCount=2\rColour=red\r", "line 3: unknown setting \"Colour\""},
        {"[run]\nStart=200\n", "line 2: Start \"200\" is above 150 °C"},
        {"[run]\nStart=-71\n", "line 2: Start \"-71\" is below the lowest set point, -70 °C"},
        {"[run]\nLowestCelsius=-30\n", "line 2: Start \"-40.0\" is below the lowest set point"},
        {"[run]\nLowestCelsius=-300\n", "line 2: LowestCelsius \"-300\" is not a number from"},
        {"[run]\nHoldCelsius=1000\nHoldChamber=yes\n", "line 2: HoldCelsius \"1000\" is above"},
        {"[run]\nStart=" + huge + "\n", "line 2: Start \"777"},
        {"[run]\nTempCount=1001\n", "line 2: TempCount \"1001\" is not a whole number from 1 to"},
        {"[run]\n[run]\n", "line 2: [run] appears a second time"},
        {"[run]\nTempCount\n", "line 2: expected key=value"},
        {"[run]\nStart=1\nStart=2\n", "line 3: Start is given twice"},
        {"[run]\nTempCount=0\n", "line 2: TempCount \"0\" is not a whole number from 1 to 1000"},
        {"[run]\nStepRows=10001\n", "line 2: StepRows \"10001\" is not a whole number from 1"},
        {"[run]\n\n# soak\nSoakMinutes=1.5\n", "line 4: SoakMinutes \"1.5\" is not a whole"},
        {"[run]\nSupplyDelay=-1\n", "line 2: SupplyDelay \"-1\" is not a whole number of ms"},
        {"[run]\nHoldChamber=true\n", "line 2: HoldChamber \"true\" is not yes or no"},
        {"[run]\nSource=DMM\n", "line 2: Source \"DMM\" is not one of ADC+Brymen, ADC, Brymen"},
        {"[run]\nStart=1,5\n", "line 2: a value holding a comma must be in double quotes"},
        {"[run]\nStart=\"1\n", "line 2: a quoted cell has no closing quote"},
        {"[run]\nStart=\"1\"x\n", "line 2: text after a closing quote"},
        {"[ports]\nChamber=COM18\n", "line 2: Chamber \"COM18\" is not COM1 to COM17"},
        {"[ports]\nOven=COM1\n", "line 2: unknown instrument \"Oven\""},
        {"[run]\nTempCount=2\n[temperatures]\n25,0,0,5\n", "line 3: [temperatures] has 1 rows"},
        {"[run]\nTempCount=1\n[temperatures]\n25,0,0\n", "line 4: expected temperature,humid"},
        {"[run]\nTempCount=1\n[temperatures]\n25,x,0,5\n", "line 4: \"x\" is not a number"},
        {"[run]\nTempCount=1\n[temperatures]\n151,0,0,5\n", "line 4: temperature \"151\" is above"},
        {"[run]\nLowestCelsius=-20\nStart=0\nTempCount=1\n[temperatures]\n-25,0,0,5\n",
         "line 6: temperature \"-25\" is below the lowest set point, -20 °C"},
        {"[registers]\nAddr,04,Delay,ACM\n", "line 2: expected Address, up to 10 register"},
        {"[registers]\nAddress,4G,Delay,ACM\n", "line 2: address \"4G\" is not 1 to 4 hex"},
        {"[registers]\nAddress,Delay,ACM\n1,15,2.4\n", "line 3: steps need at least one"},
        {"[registers]\nAddress,04,Delay,ACM\n1,01,15\n", "line 3: expected 4 cells"},
        {"[registers]\nAddress,04,Delay,ACM\n2,01,15,2.4\n", "line 3: expected step 1"},
        {"[registers]\nAddress,04,Delay,ACM\n1,,15,2.4\n", "line 3: value \"\" is not 1 to 4"},
        {"[registers]\nAddress,04,Delay,ACM\n1,01,x,2.4\n", "line 3: delay \"x\" is not a number"},
        {"[registers]\nAddress,04,Delay,ACM\n1,01,86401,2.4\n",
         "line 3: delay \"86401\" is not a number of seconds from 0 to 86400 (24 hours)"},
        {"[registers]\nAddress,04,Delay,ACM\n1,01,15,V\n", "line 3: ACM \"V\" is not a number"},
        {"[run]\nStepRows=1\n[registers]\nAddress,04,Delay,ACM\n1,01,5,2.4\n2,02,5,2.4\n",
         "line 6: step 2 is beyond StepRows"},
        {"[supply]\n1,1\n", "line 2: expected step,switch,command"},
        {"[supply]\n2,1,A\n2,1,B\n", "line 3: step \"2\" is not a number above 2"},
        {"[calibrator]\n1001,1,OUT\n", "line 2: step 1001 is beyond StepRows"},
        {"[calibrator]\n1,on,OUT\n", "line 2: switch \"on\" is not up to 4 hex digits"},
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
    for (const auto& [text, start] : cases) {
        SCOPED_TRACE(text);
        PlanParts read;
        const std::string error = ApplyTempPlan(text, read.Parts());
        EXPECT_TRUE(error.starts_with(start)) << error;
        EXPECT_LT(error.size(), 300u) << "a value is shown cut, never whole";
        EXPECT_EQ(read.Text(), PlanParts().Text()) << "nothing applied";
    }
}

// A folder given as the plan is named as one, and nothing of the plan changes.
TEST(TempPlanFile, AFolderIsNoPlan) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    PlanParts read;
    const std::string error = LoadTempPlan(folder.string(), read.Parts());
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
    EXPECT_EQ(read.Text(), PlanParts().Text());
}

// "SET" fits the count between the limits; a start outside them, or an increment that is no
// number, leaves the rows as they were and says why.
TEST(TempTestPlanRules, TemperatureRows) {
    // The count, start and increment typed, the rows after "SET" and the reason it refused them
    // (empty when it made them). The window's edits try the other counts and the step rows
    // (TempTestWindowTest).
    const std::tuple<const char*, const char*, const char*, size_t, const char*> cases[] = {
        {"abc", "0", "5", 1, ""},
        {"3", "140", "10", 2, ""},
        {"3", "25", "-100", 1, ""}, // -75 °C is below the lowest set point
        {"5", "-50", "-10", 3, ""}, // down to -70 °C
        {"100000000", "25", "0", kMaxTempRows, ""},
        {"1", "200", "0", 5, "輸入開始溫度 \"200\" is above 150 °C"},
        {"1", "1e308", "0", 5, "輸入開始溫度 \"1e308\" is above 150 °C"},
        {"1", "-80", "0", 5, "輸入開始溫度 \"-80\" is below the lowest set point, -70 °C"},
        {"1", "inf", "0", 5, "輸入開始溫度 \"inf\" is not a number"},
        {"1", "25", "nan", 5, "輸入溫度隔數 \"nan\" is not a number"},
    };
    for (const auto& [count, start, increment, rows, refused] : cases) {
        SCOPED_TRACE(std::string(count) + " from " + start);
        TempTestPlan plan;
        plan.Settings = {.TempCount = count, .Start = start, .Increment = increment};
        EXPECT_EQ(plan.SetTemperatureRows(), refused);
        EXPECT_EQ(plan.TempCount(), rows);
        EXPECT_TRUE(*refused != '\0' || plan.Settings.TempCount == std::to_string(rows))
            << plan.Settings.TempCount;
    }
}

// Whatever set them (the grid, a plan, a resumed journal), a plan past a limit is refused as a
// whole before a run starts, naming the first setting or cell past it.
TEST(TempTestPlanRules, RunLimitsNameTheFirstSettingPastThem) {
    using P = TempTestPlan;
    // A change to the plan and the start of the reason it is refused (empty when a run may start).
    const std::pair<std::function<void(P&)>, const char*> cases[] = {
        {[](P&) {}, ""},
        {[](P& p) { p.Rows[2].Temperature = "200"; }, "溫度 of row 2 \"200\" is above 150 °C"},
        {[](P& p) { p.Settings.LowestCelsius = "-35"; },
         "溫度 of row 1 \"-40.00\" is below the lowest set point, -35 °C"},
        {[](P& p) { p.Settings.LowestCelsius = "nan"; },
         "Lowest set point \"nan\" is not a number from -273.15 to 150 °C"},
        {[](P& p) { p.Rows[1].Humidity = "x"; }, "濕度 of row 1 \"x\" is not a number"},
        {[](P& p) { p.Rows[3].TemperatureRamp.clear(); }, "溫度斜率 of row 3 \"\" is not a number"},
        {[](P& p) { p.Settings.HoldCelsius = "1000"; }, ""},
        {[](P& p) { p.Settings.HoldChamber = true, p.Settings.HoldCelsius = "1000"; },
         "Hold chamber at \"1000\" is above 150 °C"},
        {[](P& p) { p.Settings.SoakMinutes = "1440"; }, ""},
        // A limit shorter than the gate's window matters only when a gate is chosen.
        {[](P& p) { p.Settings.GateLimitMinutes = "1"; }, ""},
        {[](P& p) { p.Settings.GateLimitMinutes = "1", p.Settings.Gate = SoakRule::Chamber; },
         "Give the row up after \"1\" is shorter than Stable for (5 min)"},
        {[](P& p) { p.Settings.SoakMinutes = "1441"; },
         "等待溫度穩定時間 \"1441\" is not a whole number of minutes from 0 to 1440 (24 hours)"},
        {[](P& p) { p.Settings.SupplyDelay = "86400001"; },
         "Power Supply Delay Time \"86400001\" is not a whole number of ms from 0 to 86400000 "
         "(24 hours)"},
        {[](P& p) { p.RegChg.Cell(kDelayColumn, 2) = "86401"; },
         "Delay of step 2 \"86401\" is not a number of seconds from 0 to 86400 (24 hours)"},
        {[](P& p) { p.Rows[1].Temperature = std::string(100'000, '9'); }, "溫度 of row 1 \"999"},
    };
    for (const auto& [change, refused] : cases) {
        SCOPED_TRACE(refused);
        TempTestPlan plan;
        plan.RegChg.Cell(1, 0) = "04";
        for (size_t step = 1; step <= 2; ++step) {
            plan.RegChg.Cell(1, step) = "01";
            plan.RegChg.Cell(kDelayColumn, step) = "15";
        }
        change(plan);
        const std::string why = RunLimitsRefused(plan);
        EXPECT_TRUE(*refused == '\0' ? why.empty() : why.starts_with(refused)) << why;
        EXPECT_LT(why.size(), 300u) << "a value is shown cut, never whole";
    }
}

} // namespace
} // namespace qn
