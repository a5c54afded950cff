// The main window: an MDI frame with the menu bar, the three-panel status bar and every child
// window.
#pragma once

#include "chip/ChipPanelContext.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "host/SheetWriter.h"
#include "host/StatusBar.h"
#include "shell/Bench.h"
#include "shell/RemoteBenchAdapter.h"
#include "shell/settings/ConfigFile.h"
#include "shell/ui/RemoteServer.h"

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QProgressBar>

#include <array>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QMdiSubWindow;

namespace qn {

class TQn_BASE;
class TQn_UP;
class TOption;
class TQn_RAM;
class TQn_Reg2;
class TADCForm;
class TQnPopSelHex;
class TAnxADC;
class TFLUKE;
class TFPower;
class TTMP;
class NoiseTablePage;
class TempResultsChart;

inline constexpr char kMainCaption[] = "Qn-740xTEST V1.3";

// A remembered place of a child window.
struct PanelSlotRecord {
    QString Name;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

class TMainPanel : public QMainWindow, public StatusBar, public PanelRefresh, public Prompt {
    Q_OBJECT
  public:
    // `sheets` makes the RAM panel's spreadsheet export.
    TMainPanel(Bench& bench, SheetWriter& sheets, QWidget* parent = nullptr);
    ~TMainPanel() override;

    // Creates the other windows once, in start-up order; then FormActivate runs.
    void CreateWindows();
    void FormActivate();
    void ShowPanel(QWidget* form, int slot, bool show);
    void USBClient();

    // StatusBar
    void SetPanelText(StatusPanel panel, const std::string& text) override;
    QString PanelText(int panel) const;
    // PanelRefresh
    void RefreshRamPanel() override;
    void RefreshRegisterPanel() override;
    void RefreshAdcPanel() override;
    void ShowAdcResult(const std::string& text) override;
    void RedrawLiveChart() override;
    void ShowChipTitles() override { USBClient(); }
    void ShowBusy(bool busy) override;
    // Prompt
    bool Confirm(const std::string& question) override;
    void Tell(const std::string& message) override;
    std::optional<uint32_t> AskHex(const HexQuestion& question) override;
    std::optional<uint32_t> AskColour(uint32_t current) override;
    std::optional<std::string> AskFileToSave(const std::string& extension,
                                             const std::string& folder) override;
    std::optional<std::string> AskFileToOpen(const std::string& extension,
                                             const std::string& folder) override;

    // Chip selection for list entry `index`, then the menus it shows or hides; false when the
    // chip's description file could not be read.
    bool SelectChip(uint16_t index);
    // Name of the chip list entry `index` (the setup dialog's chip list).
    QString ChipEntryName(int index) const;
    // Told after every chip selection (the simulated bench loads the same chip).
    std::function<void(const ChipModel&)> ChipSelected = [](const ChipModel&) {};
    // Entries of the setup dialog's chip list.
    std::vector<std::string> ChipList;
    // Path of the window placement file.
    QString PlacementPath;

    std::array<PanelSlotRecord, 14> PanelSlot;
    QMdiArea* Mdi = nullptr;
    QProgressBar* Gauge = nullptr;
    std::array<QLabel*, kStatusPanelCount> StatusPanels{}; // in StatusPanel order
    QLabel* RemotePanel = nullptr; // "Remote: 127.0.0.1:5025"; hidden while remote control is off

    // Menus and their items, by caption.
    QMenu* Menu_File = nullptr;
    QMenu* Menu_Option = nullptr;
    std::map<QString, QAction*> MenuItems;

    TQn_BASE* Qn_BASE = nullptr;
    TQn_UP* Qn_UP = nullptr;
    TOption* Option = nullptr;
    TQn_RAM* Qn_RAM = nullptr;
    TQn_Reg2* Qn_Reg2 = nullptr;
    TADCForm* ADCForm = nullptr;
    TQnPopSelHex* QnPopSelHex = nullptr;
    TAnxADC* AnxADC = nullptr;
    TFLUKE* FLUKE = nullptr;
    TFPower* FPower = nullptr;
    TTMP* TMP = nullptr;
    NoiseTablePage* NoiseTable = nullptr;     // the analysis window's "Noise table" page
    TempResultsChart* ResultsChart = nullptr; // made when first shown

    // "Remote control…" turned on at `address` and `port` (0: a free port), or off; the error
    // text when the port could not be opened (MainPanelRemote.cpp).
    std::string StartRemote(const std::string& address, uint16_t port);
    void StopRemote();
    const RemoteServer* Remote() const { return remote_.get(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    void FormClose();
    void BuildMenus();
    void ShowResultsChart();
    // The "File" menu: the step files of the temperature test (MainPanelFiles.cpp).
    void BuildFileMenu();
    void SaveRegClick();
    void DownloadRegClick();
    void SaveFlukeClick();
    void DownLoadFlukeClick();
    void SavePowerClick();
    void DownloadPowerClick();
    // The temperature test window, and the sequence's hooks into the analysis window.
    void CreateTempTestWindow();
    // The noise table page in the analysis window; while it sweeps, "Catch ADC" is held.
    void CreateNoiseTablePage();
    void BuildStatusBar();
    QAction* AddItem(QMenu* menu, const QString& caption);
    QAction* AddBarItem(const QString& caption);
    void HideAllPanels();
    void ApplyChipControls();
    void ShowChipCaptions();
    void ReadRamClick();
    void RemoteControlClick();
    void ShowRemoteState();
    ChipPanelContext PanelContext();
    void LoadSettings();
    void SaveSettings();
    void TellOnceShown(const std::string& problem);
    void RestorePlacements();
    void SavePlacements();
    std::vector<std::pair<std::string, QWidget*>> PlacedWindows();
    QMdiSubWindow* SubWindowOf(QWidget* form);

    Bench& bench_;
    SheetWriter& sheets_;
    std::map<QWidget*, QMdiSubWindow*> subWindows_;
    bool closed_ = false;
    bool restored_ = false;
    bool closePending_ = false; // asked to close while an operation owned the link
    // Remote control: the bench's remote operations and the server, made when first turned on.
    std::unique_ptr<ShellRemoteBench> remoteBench_;
    std::unique_ptr<RemoteServer> remote_;
    std::string remoteAddress_ = kRemoteLoopback; // last chosen in "Remote control…"
    uint16_t remotePort_ = kRemotePort;
};

} // namespace qn
