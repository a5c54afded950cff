// Device names under which the bridge's kernel driver publishes its devices.
#include "link/DriverLayer.h"

namespace qn {

std::string DriverDeviceName(int index) {
    return "\\\\.\\Qnusb-" + std::to_string(index);
}

} // namespace qn
