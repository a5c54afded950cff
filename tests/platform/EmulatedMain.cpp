// Entry of the emulated-hardware test programs: the testbed first, then Qt, then the tests.
#include "sim/emulated/Testbed.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // libusb and hidapi look at /sys and /dev when they start: the testbed must exist by then.
    qn::emulated::SharedTestbed();
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
