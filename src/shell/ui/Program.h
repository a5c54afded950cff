// The whole program built in one place, for the entry point and the window tests alike: the bench
// on the outside world it is given (real or simulated), and the main window with every other
// window.
#pragma once

#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "host/StatusBar.h"
#include "platform/XlsxFile.h"
#include "shell/Bench.h"
#include "shell/ui/Backends.h"
#include "shell/ui/MainPanel.h"
#include "shell/ui/QtEventPump.h"

#include <QString>

#include <memory>

namespace qn {

// Where the program keeps its files.
struct ProgramPlaces {
    QString Folder;        // settings and result files, with a trailing separator
    QString IncludeFolder; // chip list and chip description files
    QString PlacementFile; // the window placement file
};

class Program {
  public:
    // Builds the bench and creates the windows (hidden). `outside` must outlive the program.
    Program(Backends& outside, Clock& clock, const ProgramPlaces& places);
    // Destroys the windows, which releases the bridge, before the bench.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TMainPanel& Main() { return *main_; }
    // Questions go to `answers` instead of the main window's dialogs (window tests).
    void AnswerQuestionsWith(Prompt& answers) { prompt_.Target = &answers; }

  private:
    QtEventPump pump_;
    StatusRelay status_;
    PanelRelay panels_;
    PromptRelay prompt_;

    Backends& outside_;
    XlsxSheetWriter sheets_;

  public:
    Bench Core;

  private:
    std::unique_ptr<TMainPanel> main_;
};

} // namespace qn
