// placeholder until implemented
#include "shell/SetupDialogState.h"
