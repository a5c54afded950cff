// (filled in by the panel work)
#include "chip/HexEntry.h"
