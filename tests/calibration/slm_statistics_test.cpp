#include <cmath>

#include <gtest/gtest.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

TEST(SlmStatistics, StudentTTableAndInterpolation)
{
    struct t_case {
        int d;
        double t;
    } cases[] = {{2, 4.303},  {30, 2.042},     {35, 2.0315},    {50, 2.0105},
                 {120, 1.98}, {9999999, 1.96}, {20000000, 1.96}};
    for (const t_case& c : cases) {
        double t = -1.0;
        StudentT95(c.d, t);
        EXPECT_NEAR(t, c.t, 1e-12) << c.d;
    }
    double t = 12.706; // d = 1 is the caller's, below it too
    StudentT95(1, t);
    EXPECT_DOUBLE_EQ(t, 12.706);
}

TEST(SlmStatistics, StatisticFormats)
{
    EXPECT_EQ(format_statistic(0.00005), "5.0000E-05");
    EXPECT_EQ(format_statistic(1e-4), "1.0000E-04");
    EXPECT_EQ(format_statistic(0.5), "0.500000");
    EXPECT_EQ(format_statistic(-2.0), "-2.000000");
}

TEST(SlmStatistics, CovarianceOfAStraightLineFit)
{
    // y = a + b x at x = 0, 1, 2, 3 with unit weights: N = [[4, 6], [6, 14]],
    // N^-1 = [[0.7, -0.3], [-0.3, 0.2]]; phi 2 over m - n = 2 gives C = N^-1.
    pest_control pc;
    pc.mode = "estimation";
    pc.num_adjustable = 2;
    pc.nobs = 4;
    pc.obs.resize(5);
    double** jac = matrix(1, 4, 1, 2);
    double q[5] = {0, 1, 1, 1, 1};
    for (int i = 1; i <= 4; ++i) {
        pc.obs[i].weight = 1.0;
        jac[i][1] = 1.0;
        jac[i][2] = i - 1.0;
    }
    double** cov = matrix(1, 2, 1, 2);
    double** cor = matrix(1, 2, 1, 2);
    int singular = -1;
    CovarianceMatrix(jac, q, 2.0, cov, pc, singular);
    ASSERT_EQ(singular, 0);
    EXPECT_NEAR(cov[1][1], 0.7, 1e-12);
    EXPECT_NEAR(cov[1][2], -0.3, 1e-12);
    EXPECT_NEAR(cov[2][2], 0.2, 1e-12);
    CorrelationMatrix(cov, cor, pc);
    EXPECT_NEAR(cor[1][2], -0.3 / std::sqrt(0.14), 1e-12);
    EXPECT_NEAR(cor[1][1], 1.0, 1e-15);
    // A perfect fit (phi 0) has no variance: no 0/0 in the correlations.
    CovarianceMatrix(jac, q, 0.0, cov, pc, singular);
    CorrelationMatrix(cov, cor, pc);
    EXPECT_EQ(cor[1][1], 1.0);
    EXPECT_EQ(cor[1][2], 0.0);

    // Two weighted observations for two parameters: no division by m - n = 0.
    pc.obs[3].weight = pc.obs[4].weight = 0.0;
    testing::internal::CaptureStdout();
    CovarianceMatrix(jac, q, 2.0, cov, pc, singular);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "The covariance matrix needs more weighted observations and prior items (2) than adjustable "
              "parameters (2).\n");
    EXPECT_EQ(singular, 1);
    free_matrix(cor, 1, 1);
    free_matrix(cov, 1, 1);
    free_matrix(jac, 1, 1);
}

} // namespace
