// Chooses between the real back ends and the simulated bench at program start.
#include "shell/ui/Backends.h"

#include "platform/HidapiLayer.h"
#include "platform/LibusbDriverLayer.h"
#include "platform/QtSerialLine.h"
#include "sim/SimWorld.h"

namespace qn {

Backends::Backends(bool simulate, Clock& clock, const QString& programFolder) {
    trace_.EnableFromEnvironment();
    if (simulate) {
        sim_ = std::make_unique<SimWorld>(clock);
        sim_->TraceTo(trace_);
        hid_ = &sim_->Hid;
        driver_ = &sim_->Driver;
        serial_ = &sim_->SerialPorts;
        return;
    }
    ownHid_ = std::make_unique<HidapiLayer>(trace_);
    ownDriver_ = std::make_unique<LibusbDriverLayer>(trace_);
    ownSerial_ = std::make_unique<QtSerialPortFactory>(programFolder.toStdString(), trace_);
    hid_ = ownHid_.get();
    driver_ = ownDriver_.get();
    serial_ = ownSerial_.get();
}

Backends::~Backends() = default;

void Backends::ChipSelected(const ChipModel& model) {
    if (sim_) sim_->Bridge.LoadChip(model);
}

} // namespace qn
