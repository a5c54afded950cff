// Lets window messages through during the core's long loops.
#pragma once

#include "host/EventPump.h"

#include <QCoreApplication>

namespace qn {

class QtEventPump final : public EventPump {
  public:
    void Pump() override { QCoreApplication::processEvents(); }
};

} // namespace qn
