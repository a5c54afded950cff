// (filled in by the panel work)
#include <gtest/gtest.h>
