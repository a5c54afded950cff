// Wires the back ends, the bench and the windows together.
#include "shell/ui/Program.h"

namespace qn {

Program::Program(Backends& outside, Clock& clock, const ProgramPlaces& places)
    : outside_(outside), Core(Platform{outside.Hid(), outside.Driver(), outside.SerialPorts(),
                                       clock, pump_, status_, panels_, prompt_},
                              places.Folder.toStdString(), places.IncludeFolder.toStdString()),
      main_(std::make_unique<TMainPanel>(Core, sheets_)) {
    status_.Target = main_.get();
    panels_.Target = main_.get();
    prompt_.Target = main_.get();
    main_->PlacementPath = places.PlacementFile;
    main_->ChipSelected = [this](const ChipModel& model) { outside_.ChipSelected(model); };
    main_->CreateWindows();
}

Program::~Program() {
    status_.Target = nullptr;
    panels_.Target = nullptr;
    prompt_.Target = nullptr;
    main_.reset();
}

} // namespace qn
