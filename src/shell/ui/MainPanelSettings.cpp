// The main window's settings file and window placement file: loaded at start, saved at close.
#include "shell/settings/ConfigFile.h"
#include "shell/ui/MainPanel.h"

#include "analysis/ui/AnxADC.h"
#include "chip/ui/AdcPanel.h"
#include "chip/ui/ChipWindows.h"
#include "chip/ui/RamPanel.h"
#include "chip/ui/RegisterPanel.h"
#include "instruments/ui/InstrumentWindows.h"
#include "shell/ui/WindowFit.h"

#include <QDebug>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>

namespace qn {
namespace {

constexpr int32_t kMinNPoint = 256;
constexpr int32_t kMaxNPoint = 65536;
constexpr int kNPointIndex256 = 2;

} // namespace

void TMainPanel::LoadSettings() {
    const std::string path = bench_.SettingsPath();
    const ConfigLoadResult result =
        bench_.LoadSettings([this](uint16_t chip) { SelectChip(chip); });
    for (const std::string& note : result.Mended) qWarning("%s: %s", path.c_str(), note.c_str());
    TellOnceShown(result.Problem);
    AnalysisSettings& analysis = bench_.Config.Analysis;
    if (analysis.NPoint < kMinNPoint || analysis.NPoint > kMaxNPoint)
        NPointIndexChange(analysis, kNPointIndex256);
}

// A settings file that could not be used is named on standard error and, once the window is up
// and running, in a message.
void TMainPanel::TellOnceShown(const std::string& problem) {
    if (problem.empty()) return;
    qWarning("%s", problem.c_str());
    QTimer::singleShot(0, this, [this, problem] { Tell(problem); });
}

void TMainPanel::SaveSettings() {
    std::string problem;
    if (!bench_.SaveSettings(&problem)) qWarning("%s", problem.c_str());
}

// Every window of the program that the placement file remembers, by its name.
std::vector<std::pair<std::string, QWidget*>> TMainPanel::PlacedWindows() {
    std::vector<std::pair<std::string, QWidget*>> windows{{"MainPanel", this}};
    for (const auto& [form, sub] : subWindows_)
        windows.emplace_back(form->objectName().toStdString(), sub);
    return windows;
}

void TMainPanel::RestorePlacements() {
    if (!bench_.Places().Enabled) return;
    bench_.Places().Restore(PlacementPath.toStdString());
    TellOnceShown(bench_.Places().ReadProblem());
    // The main window is kept on the screen, its child windows inside its workspace.
    const WindowRect screenRect = ToScreenRect(screen()->availableGeometry());
    const QSize workspace = Mdi->viewport()->size();
    for (const auto& [name, window] : PlacedWindows()) {
        const Placement* entry = bench_.Places().Find(name);
        if (entry == nullptr) continue;
        const bool child = window != this;
        const RestoredPlacement place = ApplyPlacement(
            *entry, ToScreenRect(window->geometry()), true,
            child ? WindowRect{0, 0, workspace.width(), workspace.height()} : screenRect,
            bench_.Places().AutoShow);
        window->setGeometry(place.Rect.Left, place.Rect.Top, place.Rect.Width, place.Rect.Height);
        // Fitted as it came out: a window never gets smaller than its content allows.
        if (child) window->setGeometry(FitInsideWorkspace(window->geometry(), workspace));
        if (place.State == WindowState::Maximised) window->setWindowState(Qt::WindowMaximized);
        if (place.State == WindowState::Minimised) window->setWindowState(Qt::WindowMinimized);
        if (place.Show && child) window->show();
    }
}

void TMainPanel::SavePlacements() {
    std::vector<Placement> placements;
    for (const auto& [name, window] : PlacedWindows()) {
        Placement p{name,
                    ToScreenRect(window->normalGeometry().isValid() ? window->normalGeometry()
                                                                    : window->geometry()),
                    WindowState::Normal, window->isVisible()};
        if (window->isMaximized()) p.State = WindowState::Maximised;
        if (window->isMinimized()) p.State = WindowState::Minimised;
        placements.push_back(p);
    }
    bench_.Places().Save(PlacementPath.toStdString(), placements);
}

void TMainPanel::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (restored_) return;
    restored_ = true;
    RestorePlacements();
    KeepOnScreenOnceFramed(*this);
}

} // namespace qn
