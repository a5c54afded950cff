// placeholder until implemented
#include "instruments/InstrumentPorts.h"
