#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

// Two parameters observed directly (J = I), measured 5 and 3.
struct direct_problem {
    pest_control pc;
    int adjustable[3] = {0, 1, 2};
    double row1[3] = {0, 1, 0}, row2[3] = {0, 0, 1};
    double* jac[3] = {nullptr, row1, row2};
    double q[3] = {0, 1, 1};

    direct_problem(double x1, double upper1, double x2, double upper2)
    {
        pc.npar = pc.num_adjustable = 2;
        pc.nobs = 2;
        pc.params.resize(3);
        pc.obs.resize(3);
        const double x[3] = {0, x1, x2}, up[3] = {0, upper1, upper2}, measured[3] = {0, 5, 3};
        for (int i = 1; i <= 2; ++i) {
            pest_param& p = pc.params[i];
            p.name = i == 1 ? "A" : "B";
            p.transform = "none";
            p.value = p.start_value = x[i];
            p.lower = -10;
            p.upper = up[i];
            p.at_upper = p.value >= p.upper;
            pc.obs[i].measured = measured[i];
            pc.obs[i].simulated[0] = x[i];
            pc.obs[i].weight = 1.0;
        }
        pc.lambda = 1e-12;
    }

    std::string upgrade(double* u)
    {
        MarquardtUpgrade(jac, nullptr, q, pc, u);
        OptimumLength(jac, nullptr, q, pc, u);
        testing::internal::CaptureStdout();
        EXPECT_EQ(BoundedUpgrade(jac, nullptr, q, pc, u, adjustable, nullptr), 0);
        return testing::internal::GetCapturedStdout();
    }
};

TEST(SlmBoundedUpgrade, FreezesAtABoundAndRecomputesTheRest)
{
    // A stands at its upper bound and both the upgrade and the gradient push it out.
    direct_problem d(2.0, 2.0, 1.0, 10.0);
    double u[3];
    EXPECT_EQ(d.upgrade(u), "      parameter \"A\" frozen: gradient and update vectors out of bounds\n");
    EXPECT_EQ(d.pc.num_frozen, 1);
    EXPECT_DOUBLE_EQ(d.pc.params[1].value, 2.0);
    EXPECT_DOUBLE_EQ(u[1], 0.0);
    EXPECT_NEAR(d.pc.params[2].value, 3.0, 1e-9);
}

TEST(SlmBoundedUpgrade, ClipsAParameterThatReachesItsBound)
{
    direct_problem d(1.5, 2.0, 1.0, 10.0);
    double u[3];
    EXPECT_EQ(d.upgrade(u), "");
    EXPECT_EQ(d.pc.num_frozen, 0);
    EXPECT_DOUBLE_EQ(d.pc.params[1].value, 2.0);
    EXPECT_EQ(d.pc.params[1].at_upper, 1);
    EXPECT_NEAR(u[1], 0.5, 1e-9);
    EXPECT_NEAR(d.pc.params[2].value, 3.0, 1e-9);
}

TEST(SlmBoundedUpgrade, EveryParameterFrozen)
{
    direct_problem d(2.0, 2.0, 1.0, 1.0);
    double u[3];
    const std::string screen = d.upgrade(u);
    EXPECT_EQ(d.pc.num_frozen, 2) << screen;
    EXPECT_DOUBLE_EQ(d.pc.params[1].value, 2.0);
    EXPECT_DOUBLE_EQ(d.pc.params[2].value, 1.0);
}

TEST(SlmBoundedUpgrade, InsensitiveParameterIsLeftOut)
{
    direct_problem d(1.0, 10.0, 1.0, 10.0);
    d.pc.mode = "estimation";
    d.row2[2] = 0.0; // B has no effect on any observation
    testing::internal::CaptureStdout();
    CompositeSensitivities(d.pc, d.jac, nullptr, d.adjustable, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "   Parameter \"B\" has no effect on observations.\n");
    EXPECT_EQ(d.pc.num_insensitive, 1);
    EXPECT_NEAR(d.pc.params[1].composite_sensitivity, 0.5, 1e-15); // sqrt(1) / 2 observations
    double u[3] = {0, 0, 0};
    testing::internal::CaptureStdout();
    EXPECT_EQ(BoundedUpgrade(d.jac, nullptr, d.q, d.pc, u, d.adjustable, nullptr), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(d.pc.params[1].value, 5.0, 1e-9);
    EXPECT_DOUBLE_EQ(d.pc.params[2].value, 1.0);

    // No weighted observation: 0, not 0/0.
    direct_problem none(1.0, 10.0, 1.0, 10.0);
    none.pc.mode = "estimation";
    none.pc.obs[1].weight = none.pc.obs[2].weight = 0.0;
    testing::internal::CaptureStdout();
    CompositeSensitivities(none.pc, none.jac, nullptr, none.adjustable, nullptr);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(none.pc.params[1].composite_sensitivity, 0.0);
    EXPECT_EQ(none.pc.num_insensitive, 2);
}

} // namespace
