// The LPT address of the setup dialog's list position.
#include "shell/settings/Settings.h"

namespace qn {

uint16_t LptAddress(int32_t clpt) {
    switch (clpt) {
    case 1:
        return 0x278;
    case 2:
        return 0x3BC;
    default:
        return 0x378;
    }
}

} // namespace qn
