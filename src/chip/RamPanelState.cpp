// (filled in by the panel work)
#include "chip/RamPanelState.h"
