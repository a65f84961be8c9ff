#include "app/Text.h"

#include <gtest/gtest.h>

TEST(IntegerValue, SaturatesBeyondThirtyTwoBits)
{
    EXPECT_EQ(IntegerValue("99999999999999999999"), 2147483647);
    EXPECT_EQ(IntegerValue("-99999999999999999999"), -2147483647 - 1);
}
