// placeholder until implemented
#include "instruments/PowerSupply.h"
