// Composes the real back ends and the simulated board and lab at program start.
#include "shell/ui/Backends.h"

#include "platform/HidapiLayer.h"
#include "platform/LibusbDriverLayer.h"
#include "platform/QtSerialLine.h"
#include "sim/SimWorld.h"

namespace qn {
namespace {

// A line that becomes, when it is opened, a simulated or a real line as the port's name decides.
class RoutedLine final : public SerialLine {
  public:
    RoutedLine(Simulated parts, SerialPortFactory& simulated, SerialPortFactory& real)
        : parts_(parts), simulated_(simulated), real_(real) {}

    bool Open(const std::string& portName) override {
        if (line_) line_->Close();
        line_ = (SimulatedPort(parts_, portName) ? simulated_ : real_).MakeLine();
        return line_->Open(portName);
    }
    void Close() override {
        if (line_) line_->Close();
    }
    bool IsOpen() const override { return line_ && line_->IsOpen(); }
    bool Configure(const LineSettings& settings) override {
        return line_ && line_->Configure(settings);
    }
    bool SetDtr(bool on) override { return line_ && line_->SetDtr(on); }
    bool QueryStatus(uint32_t& errors, size_t& waiting) override {
        return line_ && line_->QueryStatus(errors, waiting);
    }
    size_t Read(uint8_t* data, size_t max) override { return line_ ? line_->Read(data, max) : 0; }
    size_t Write(const uint8_t* data, size_t length) override {
        return line_ ? line_->Write(data, length) : 0;
    }
    void DiscardInput() override {
        if (line_) line_->DiscardInput();
    }

  private:
    Simulated parts_;
    SerialPortFactory& simulated_;
    SerialPortFactory& real_;
    std::unique_ptr<SerialLine> line_;
};

class RoutedPortFactory final : public SerialPortFactory {
  public:
    RoutedPortFactory(Simulated parts, SerialPortFactory& simulated, SerialPortFactory& real)
        : parts_(parts), simulated_(simulated), real_(real) {}
    std::unique_ptr<SerialLine> MakeLine() override {
        return std::make_unique<RoutedLine>(parts_, simulated_, real_);
    }

  private:
    Simulated parts_;
    SerialPortFactory& simulated_;
    SerialPortFactory& real_;
};

} // namespace

Backends::Backends(Simulated parts, Clock& clock, const QString& programFolder) : parts_(parts) {
    trace_.EnableFromEnvironment();
    const bool board = parts == Simulated::Board || parts == Simulated::All;
    if (parts != Simulated::None) {
        sim_ = std::make_unique<SimWorld>(clock);
        sim_->TraceTo(trace_);
    }
    if (board) {
        hid_ = &sim_->Hid;
        driver_ = &sim_->Driver;
    } else {
        ownHid_ = std::make_unique<HidapiLayer>(trace_);
        ownDriver_ = std::make_unique<LibusbDriverLayer>(trace_);
        hid_ = ownHid_.get();
        driver_ = ownDriver_.get();
    }
    // A bench simulated whole touches no real port.
    if (parts == Simulated::All) {
        serial_ = &sim_->SerialPorts;
        return;
    }
    realSerial_ = std::make_unique<QtSerialPortFactory>(programFolder.toStdString(), trace_);
    serial_ = realSerial_.get();
    if (parts == Simulated::None) return;
    routedSerial_ = std::make_unique<RoutedPortFactory>(parts, sim_->SerialPorts, *realSerial_);
    serial_ = routedSerial_.get();
}

Backends::~Backends() = default;

void Backends::ChipSelected(const ChipModel& model) {
    if (parts_ == Simulated::Board || parts_ == Simulated::All) sim_->Bridge.LoadChip(model);
}

} // namespace qn
