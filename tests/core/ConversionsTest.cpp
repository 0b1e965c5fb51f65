#include "segy/Conversions.h"
#include <gtest/gtest.h>
TEST(Placeholder, Builds) { SUCCEED(); }
