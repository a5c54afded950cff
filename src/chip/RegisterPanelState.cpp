// (filled in by the panel work)
#include "chip/RegisterPanelState.h"
