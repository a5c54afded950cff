// placeholder until implemented
#include "instruments/StepTable.h"
