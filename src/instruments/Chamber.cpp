// placeholder until implemented
#include "instruments/Chamber.h"
