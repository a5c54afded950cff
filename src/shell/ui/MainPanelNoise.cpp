// The main window's wiring of the noise table page into the analysis window.
#include "shell/ui/MainPanel.h"

#include "analysis/ui/AnxADC.h"
#include "shell/ui/NoiseTablePage.h"

#include <QPushButton>
#include <QTabWidget>

namespace qn {

void TMainPanel::CreateNoiseTablePage() {
    NoiseTable = new NoiseTablePage(bench_, [this](bool running) {
        AnxADC->CatchADC->setEnabled(!running);
        if (running) return;
        // The sweep captured into a store of its own; the chip's registers are back.
        Gauge->hide();
        RefreshRegisterPanel();
        RefreshAdcPanel();
    });
    AnxADC->Views->addTab(NoiseTable, "Noise table");
}

} // namespace qn
