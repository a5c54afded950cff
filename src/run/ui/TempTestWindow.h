// The "Temperature Test" window: the run's settings, the temperature, register step and result
// grids, the buttons of the sequence and the calibrator's range lock, the run's progress and the
// chamber's temperature read once a second.
#pragma once

#include "host/Prompt.h"
#include "instruments/BenchInstruments.h"
#include "link/ExchangeGuard.h"
#include "run/TempTest.h"
#include "run/TempTestPlan.h"

#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace qn {

class RegisterStepModel;
class TempResultModel;
class TemperatureRowsModel;

// What the window works on; all of it outlives the window.
struct TempTestLink {
    TempTestPlan& Plan;
    TempTest& Temp;
    BenchInstruments& Instruments;
    ExchangeGuard& Guard;
    bool& SaveFullSetting; // the settings file's "CHFULL"
    // The calibrator's and the supply's step windows: their step count, and a new fill of
    // their tables. The shell's window links them, so this window needs no instrument window.
    std::function<void(size_t steps)> StepCountChanged;
    std::function<void()> StepTablesChanged;
    Prompt& Ask;        // the plan file's name, and what went wrong with it
    std::string Folder; // where plan files are offered first
};

class TTMP : public QWidget {
    Q_OBJECT
  public:
    explicit TTMP(const TempTestLink& link, QWidget* parent = nullptr);
    ~TTMP() override;

    // After the settings file was loaded: "儲存完整檔案" from "CHFULL", the edits from the plan.
    void ApplySettings();
    // The step count M from its edit (`EModenumKeyPress`): the three step grids get M rows and
    // the edit shows "48" when it held no usable count.
    size_t Modenum();
    // The plan's grids were filled from elsewhere (a step file).
    void RefreshGrids();
    // The result grid laid out as a preview of the loaded steps.
    void ShowPreview(size_t columns, size_t rows);
    // "連續讀取": the chamber's temperature is read and shown every second.
    void StartReading();
    // One reading: only when the chamber is selected and no operation owns the link.
    void ReadChamber();

    QLineEdit* TMPCNT = nullptr;   // "輸入測試溫度數量"
    QLineEdit* TMPStart = nullptr; // "輸入開始溫度"
    QLineEdit* TMPStep = nullptr;  // "輸入溫度隔數"
    QLineEdit* EModenum = nullptr; // "輸入最大測試模式數量"
    QLineEdit* ESoak = nullptr;    // "等待溫度穩定時間"
    QLineEdit* EDelay = nullptr;   // "Power Supply Delay Time"
    QLineEdit* ELowest = nullptr;  // "Lowest set point", °C
    QComboBox* CBSource = nullptr; // "ADC & Brymen", "ADC", "Brymen"
    QComboBox* CBMode = nullptr;   // "ADC", "Temperature"
    QCheckBox* CHFULL = nullptr;   // "儲存完整檔案"
    QCheckBox* CHFluke = nullptr;  // "不關閉Fluke"
    QCheckBox* CHAlter = nullptr;  // "交替測量ADC與溫度", hidden
    QCheckBox* Lock330mV = nullptr;
    QCheckBox* Lock3V = nullptr;
    QPushButton* TMPCNTSET = nullptr; // "SET"
    QPushButton* BtRun = nullptr;
    QPushButton* BtStop = nullptr;
    QPushButton* BtStby = nullptr;
    QPushButton* TBg = nullptr;    // "T-Begin"
    QPushButton* TTest = nullptr;  // "T-Test"
    QPushButton* ENSave = nullptr; // "SaveData"
    QPushButton* BtEnter = nullptr;
    QPushButton* BtRebuild = nullptr; // "Rebuild result files"
    // How long "T-Begin" would take, "≈ 1:02:03" (TempTestWindowEstimate.cpp).
    QLabel* Estimate = nullptr;
    // How a run leaves the bench, kept in the plan file.
    QCheckBox* CHSupplyOff = nullptr;  // "Supply output off at the end"
    QCheckBox* CHHold = nullptr;       // "Hold chamber at"
    QLineEdit* EHold = nullptr;        // its temperature, °C
    QPushButton* BtSavePlan = nullptr; // "Save plan…"
    QPushButton* BtLoadPlan = nullptr; // "Load plan…"
    QPushButton* BtChart = nullptr;    // "Results over temperature", also during a run
    // The soak gate: the band rule, or a stability gate and its settings (TempTestWindowGate.cpp).
    QComboBox* CBGate = nullptr;       // "Band ±1.5 °C", "Chamber stable", "Board stable"
    QLineEdit* EGateMinutes = nullptr; // "Stable for", min
    QLineEdit* EGateBand = nullptr;    // "Chamber median within ±", °C
    QLineEdit* EGateSpread = nullptr;  // "Chamber spread at most", °C
    QLineEdit* EBoardChange = nullptr; // "Board change at most", °C
    QLineEdit* EGateLimit = nullptr;   // "Give the row up after", min
    // Shows the results chart; set by the main window.
    std::function<void()> OpenResultsChart;
    QTableView* TMPGrid = nullptr;
    QTableView* RegChg = nullptr;
    QTableView* TMPData = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* ChamberTemp = nullptr;
    QTimer ReadTimer; // "連續讀取"

  protected:
    // The first time the window shows, an unfinished run in the journal is offered for resuming.
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* BuildSettings();
    QWidget* BuildButtons();
    // The run's end options and the plan file buttons (TempTestWindowPlan.cpp).
    QWidget* BuildRunEnd();
    // The soak gate's choice and settings, greyed while the band rule is chosen.
    QWidget* BuildGate();
    void EnableGate();
    void SavePlanClick();
    void LoadPlanClick();
    void BuildGrids();
    void BindSettings();
    void WatchRun();
    // The estimate follows every change of the plan and the step tables.
    void WatchEstimate();
    void ShowEstimate();
    void ShowSettings();
    void TMPCNTSETClick();
    void ShowProgress(const TempTestProgress& progress);
    void RunningChanged(bool running);
    void ShowResumedResults();

    TempTestLink link_;
    TemperatureRowsModel* rows_ = nullptr;
    RegisterStepModel* steps_ = nullptr;
    TempResultModel* results_ = nullptr;
    TempTestProgress last_;
    double chamberCelsius_ = NAN; // the chamber's last reading shown, where row 1's ramp starts
    bool offeredResume_ = false;
    bool resumePending_ = false;
    bool resumed_ = false;           // a resumed run's kept results are still to be shown
    std::vector<Subscription> told_; // what the sequence tells this window
};

} // namespace qn
