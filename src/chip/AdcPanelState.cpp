// (filled in by the panel work)
#include "chip/AdcPanelState.h"
