// Maps libusb's error codes onto the bridge driver's.
#include "platform/LibusbErrors.h"

#include "link/DriverReplies.h"

#include <libusb.h>

namespace qn {

uint32_t DriverErrorFromLibusb(int libusbError) {
    switch (libusbError) {
    case LIBUSB_SUCCESS:
        return 0;
    case LIBUSB_ERROR_TIMEOUT:
        return kDriverErrorTimeout;
    case LIBUSB_ERROR_NO_DEVICE:
        return kDriverErrorDeviceGone;
    case LIBUSB_ERROR_NOT_FOUND:
        return kDriverErrorFileNotFound;
    case LIBUSB_ERROR_ACCESS:
        return kDriverErrorAccessDenied;
    case LIBUSB_ERROR_BUSY:
        return kDriverErrorBusy;
    case LIBUSB_ERROR_INVALID_PARAM:
        return kDriverErrorBadParameter;
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return kDriverErrorNotSupported;
    default:
        return kDriverErrorDeviceGone;
    }
}

} // namespace qn
