// Lets pending window messages through during the long loops that keep the window alive.
#pragma once

namespace qn {

class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void Pump() = 0;
};

// Lets nothing through: for tests and for a core used without windows.
class NullEventPump final : public EventPump {
  public:
    void Pump() override {}
};

} // namespace qn
