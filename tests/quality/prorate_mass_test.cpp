// Pro-rating of an accumulated mass over the steps of its interval.
#include <gtest/gtest.h>

#include "quality/prorate_mass.h"

TEST(ProrateMass, AStepTakesItsShareOfALongerInterval)
{
    // A 60 s step of a 600 s interval takes a tenth; an interval within
    // 0.5 s of the step (or shorter) is taken whole.
    EXPECT_DOUBLE_EQ(prorate_mass(60.0, 600.0, 50.0), 5.0);
    EXPECT_DOUBLE_EQ(prorate_mass(60.0, 60.4, 50.0), 50.0);
    EXPECT_DOUBLE_EQ(prorate_mass(60.0, 60.6, 50.0), 50.0 * 60.0 / 60.6);
    EXPECT_DOUBLE_EQ(prorate_mass(60.0, 30.0, 50.0), 50.0);
    // Ten steps of a 600 s interval hand over the whole mass.
    double sum = 0.0;
    for (int k = 0; k < 10; ++k)
        sum += prorate_mass(60.0, 600.0, 7.0);
    EXPECT_NEAR(sum, 7.0, 1e-12);
}
