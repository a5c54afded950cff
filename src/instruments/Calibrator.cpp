// placeholder until implemented
#include "instruments/Calibrator.h"
