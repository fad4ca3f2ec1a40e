#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

pest_param param(const char* name, const char* transform, double value, double lower, double upper,
                 const char* group = "g")
{
    pest_param p;
    p.name = name;
    p.transform = transform;
    p.value = value;
    p.lower = lower;
    p.upper = upper;
    p.group = group;
    return p;
}

// A problem of two parameters and its residual functions as the model.
struct problem {
    pest_control pc;
    std::vector<int> adjustable;
    std::function<void(const double*, double*)> f; // x[1..2] -> outputs[1..nobs]

    problem(int nobs, std::function<void(const double*, double*)> fn, const char* forcen = "always_2",
            const char* dermthd = "outside_pts")
        : f(std::move(fn))
    {
        pc.npar = 2;
        pc.params = {{}, param("x1", "none", -1.2, -10, 10), param("x2", "none", 1.0, -10, 10)};
        pc.npargp = 1;
        pc.param_groups = {{}, {"g", "relative", 0.01, 0.0, forcen, 2.0, dermthd}};
        pc.nobs = nobs;
        pc.obs.assign(nobs + 1, pest_obs());
        for (int i = 1; i <= nobs; ++i)
            pc.obs[i].weight = 1.0;
        pc.rlamfac = 2.0;
        ClassifyParameters(pc);
        adjustable.assign(3, 0);
        ListAdjustableParameters(pc, adjustable.data());
    }

    pest_model_call model()
    {
        return [this](pest_control& c, pest_values which, int slot) {
            double x[3];
            for (int j = 1; j <= 2; ++j)
                x[j] = which == pest_values::current      ? c.params[j].value
                       : which == pest_values::perturbed1 ? c.params[j].perturbed1
                                                          : c.params[j].perturbed2;
            std::vector<double> out(c.nobs + 1);
            f(x, out.data());
            for (int i = 1; i <= c.nobs; ++i)
                c.obs[i].simulated[slot] = out[i];
            return 0;
        };
    }
};

TEST(SlmJacobian, PerturbationPointsNearBoundsAndAtZero)
{
    EXPECT_DOUBLE_EQ(two_point_value(param("p", "none", 5.0, 0.0, 5.02)), 4.95);
    EXPECT_DOUBLE_EQ(two_point_value(param("p", "none", 0.0, -1.0, 1.0)), 0.01);
    pest_param at_upper = param("p", "none", 0.0, 0.0, 0.0);
    at_upper.at_upper = 1;
    EXPECT_DOUBLE_EQ(two_point_value(at_upper), 0.0); // no room: the column is 0, no division
    double x1 = 0.0, x2 = 0.0;
    three_point_values(param("p", "none", 0.0, -1.0, 1.0), x1, x2);
    EXPECT_DOUBLE_EQ(x1, 0.01);
    EXPECT_DOUBLE_EQ(x2, -0.01);
    three_point_values(param("p", "none", 5.0, 4.96, 5.02), x1, x2);
    EXPECT_DOUBLE_EQ(x1, 5.1); // x - 2 % below the lower bound: both points above
    EXPECT_DOUBLE_EQ(x2, 5.05);
    // A log parameter steps in natural units, even far below 1e-8.
    const double tiny = perturbed_value(param("k", "log", -12.0, -20.0, 0.0), -12.0, 0.01);
    EXPECT_NEAR(tiny, std::log10(1.01e-12), 1e-12);
}

TEST(SlmJacobian, CyclicColumnsSkipTiedAndFixed)
{
    pest_control pc;
    pc.npar = 5;
    pc.params = {{},
                 param("A", "none", 1, 0, 2),
                 param("T", "tied", 1, 0, 2),
                 param("B", "none", 1, 0, 2),
                 param("F", "fixed", 1, 0, 2),
                 param("C", "log", 0, -1, 1)};
    pc.method = 1;
    pc.cyclic_columns = 2;
    ClassifyParameters(pc);
    int adjustable[4];
    ListAdjustableParameters(pc, adjustable);
    std::vector<int> cols;
    int last = 5;
    JacobianColumns(pc, adjustable, 2, last, cols);
    EXPECT_EQ(cols, (std::vector<int>{1, 3}));
    JacobianColumns(pc, adjustable, 3, last, cols);
    EXPECT_EQ(cols, (std::vector<int>{5, 1}));
    JacobianColumns(pc, adjustable, 1, last, cols); // iteration 1: every column
    EXPECT_EQ(cols, (std::vector<int>{1, 3, 5}));
    pc.cyclic_columns = 0;
    JacobianColumns(pc, adjustable, 1, last, cols);
    EXPECT_TRUE(cols.empty());

    pc.npargp = 1;
    pc.param_groups = {{}, {"g", "relative", 0.01, 0.0, "switch", 2.0, "parabolic"}};
    int runs = 0;
    CountJacobianRuns(pc, 0, {1, 3}, runs);
    EXPECT_EQ(runs, 2);
    CountJacobianRuns(pc, 1, {1, 3}, runs);
    EXPECT_EQ(runs, 4);
}

TEST(SlmJacobian, DifferencesMeetTheDerivatives)
{
    // Linear outputs: every difference is exact; a quadratic: the parabola is.
    struct method_case {
        const char* forcen;
        const char* dermthd;
        int runs;
    } methods[] = {
        {"always_2", "outside_pts", 2}, {"always_3", "outside_pts", 4}, {"always_3", "parabolic", 4}};
    for (const method_case& m : methods) {
        problem pb(
            2,
            [](const double* x, double* y) {
                y[1] = 2.0 * x[1] + 3.0 * x[2];
                y[2] = x[1] * x[1];
            },
            m.forcen, m.dermthd);
        pb.pc.params[1].value = 1.5;
        pb.model()(pb.pc, pest_values::current, 0);
        double** jac = matrix(1, 2, 1, 2);
        int calls = 0, last = 0;
        testing::internal::CaptureStdout();
        ASSERT_EQ(CalcJacobian(pb.pc, pb.adjustable.data(), jac, calls, 0, 1, last, pb.model()), 0);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(calls, m.runs);
        EXPECT_NEAR(jac[1][1], 2.0, 1e-10) << m.forcen;
        EXPECT_NEAR(jac[1][2], 3.0, 1e-10) << m.forcen;
        if (std::string(m.dermthd) == "parabolic" || m.runs == 4)
            EXPECT_NEAR(jac[2][1], 3.0, 1e-9) << m.dermthd; // central or parabolic: exact for x^2
        else
            EXPECT_NEAR(jac[2][1], 3.0 + 0.015, 1e-9); // one-sided: 2x + h
        free_matrix(jac, 1, 1);
    }
}

TEST(SlmJacobian, BroydenUpdateMeetsTheSecantCondition)
{
    problem pb(2, [](const double* x, double* y) {
        y[1] = 10.0 * (x[2] - x[1] * x[1]);
        y[2] = 1.0 - x[1];
    });
    pb.model()(pb.pc, pest_values::current, 0);
    double** jac = matrix(1, 2, 1, 2);
    jac[1][1] = 1.0, jac[1][2] = 2.0, jac[2][1] = 3.0, jac[2][2] = 4.0;
    // A zero column cannot be scaled: refused, not divided by zero.
    {
        pest_control flat = pb.pc;
        flat.num_adjustable = 2;
        double zero_col[3][3] = {{0, 0, 0}, {0, 0, 1}, {0, 0, 1}};
        double* rows[3] = {zero_col[0], zero_col[1], zero_col[2]};
        std::vector<double> q{0, 1, 1}, u(3);
        testing::internal::CaptureStdout();
        EXPECT_EQ(MarquardtUpgrade(rows, nullptr, q.data(), flat, u.data()), 1);
        testing::internal::GetCapturedStdout();
    }
    for (int j = 1; j <= 2; ++j)
        pb.pc.params[j].start_value = pb.pc.params[j].value;
    pb.pc.params[1].value += 0.3;
    pb.pc.params[2].value -= 0.2;
    pb.model()(pb.pc, pest_values::current, 1);
    BroydenUpdate(pb.pc, jac, nullptr);
    const double s[3] = {0.0, 0.3, -0.2};
    for (int r = 1; r <= 2; ++r)
        EXPECT_NEAR(jac[r][1] * s[1] + jac[r][2] * s[2],
                    pb.pc.obs[r].simulated[1] - pb.pc.obs[r].simulated[0], 1e-12);
    free_matrix(jac, 1, 1);
}

// Gauss-Newton steps (lambda tiny) through the Jacobian and the upgrade
// reach the least-squares minima of the test problems.
TEST(SlmJacobian, UpgradesReachLeastSquaresMinima)
{
    struct ls_case {
        const char* name;
        int nobs;
        std::vector<double> measured;
        std::function<void(const double*, double*)> f;
        double start1, start2, min1, min2;
    } cases[] = {
        {"Rosenbrock",
         2,
         {0.0, 0.0},
         [](const double* x, double* y) {
             y[1] = 10.0 * (x[2] - x[1] * x[1]);
             y[2] = 1.0 - x[1];
         },
         -1.2,
         1.0,
         1.0,
         1.0},
        {"Beale",
         3,
         {1.5, 2.25, 2.625},
         [](const double* x, double* y) {
             y[1] = x[1] * (1.0 - x[2]);
             y[2] = x[1] * (1.0 - x[2] * x[2]);
             y[3] = x[1] * (1.0 - x[2] * x[2] * x[2]);
         },
         2.0,
         0.2,
         3.0,
         0.5},
    };
    for (const ls_case& c : cases) {
        problem pb(c.nobs, c.f, "always_3", "outside_pts");
        for (int i = 1; i <= c.nobs; ++i)
            pb.pc.obs[i].measured = c.measured[i - 1];
        pb.pc.params[1].value = c.start1;
        pb.pc.params[2].value = c.start2;
        pb.pc.lambda = 1e-3;
        double** jac = matrix(1, c.nobs, 1, 2);
        std::vector<double> q(c.nobs + 1), u(3);
        SquaredWeights(pb.pc, q.data());
        int calls = 0, last = 0;
        testing::internal::CaptureStdout();
        for (int it = 1; it <= 30; ++it) {
            pb.model()(pb.pc, pest_values::current, 0);
            ASSERT_EQ(CalcJacobian(pb.pc, pb.adjustable.data(), jac, calls, 1, it, last, pb.model()), 0);
            ASSERT_EQ(MarquardtUpgrade(jac, nullptr, q.data(), pb.pc, u.data()), 0);
            OptimumLength(jac, nullptr, q.data(), pb.pc, u.data());
            pb.pc.params[1].value += u[1];
            pb.pc.params[2].value += u[2];
        }
        testing::internal::GetCapturedStdout();
        EXPECT_NEAR(pb.pc.params[1].value, c.min1, 1e-6) << c.name;
        EXPECT_NEAR(pb.pc.params[2].value, c.min2, 1e-6) << c.name;
        free_matrix(jac, 1, 1);
    }
}

} // namespace
