// One plain Green-Ampt pass on small fixtures: the implicit solution, the
// dry, short and head-boundary cells, channel lakes, area reduction, the
// refusal of unusable cells and the same results on one and four threads.
#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/infiltration.h"

namespace
{

// n cells of 10 m, all with the same soil and the same ponded depth.
std::unique_ptr<model_state> soil_cells(int n, double k, double hc, double por, double th0, double depth)
{
    auto s = std::make_unique<model_state>();
    s->num_cells = n;
    s->gridsize = 10.0;
    s->green_ampt = 1;
    s->dist_ksat.assign(n, k);
    s->dist_cap_head.assign(n, hc);
    s->dist_porosity.assign(n, por);
    s->dist_init_moisture.assign(n, th0);
    s->psi_dtheta.assign(n, 0.0);
    s->event_inf_depth.assign(n, 0.0);
    s->inf_depth_mark.assign(n, 0.0);
    s->inf_depth.assign(n, 0.0);
    s->inf_rate.assign(n, 0.0);
    s->ov_depth.assign(n, depth);
    return s;
}

// Root of S ln((G + S)/(F0 + S)) + K dt - G + F0 by bisection.
double implicit_green_ampt(double f0, double s, double k, double dt)
{
    double lo = f0, hi = f0 + k * dt + 10.0;
    for (int i = 0; i < 200; ++i) {
        const double g = 0.5 * (lo + hi);
        (s * std::log((g + s) / (f0 + s)) + k * dt - g + f0 > 0.0 ? lo : hi) = g;
    }
    return 0.5 * (lo + hi);
}

struct GreenAmpt : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

const double k = 1e-5;   // 3.6 cm/h
const double hc = 0.11;  // m
const double dt = 60.0;  // s
const double psi = 0.11 * (0.45 - 0.15);

} // namespace

TEST_F(GreenAmpt, PondedCellFollowsTheImplicitSolution)
{
    // From F0 = 0 and again from a wet start: the end-of-step capacity gives
    // back the cumulative depth G of the implicit equation.
    for (double f0 : {0.0, 0.02}) {
        auto s = soil_cells(1, k, hc, 0.45, 0.15, 0.5);
        s->event_inf_depth[1] = s->inf_depth_mark[1] = f0;
        ASSERT_TRUE(green_ampt_step(*s, dt));
        const double f = s->inf_rate[1] / 360000.0;
        const double g = psi * k / (f - k);
        EXPECT_NEAR(g, implicit_green_ampt(f0, psi, k, dt), 1e-6) << f0;
        EXPECT_NEAR(s->event_inf_depth[1] - f0, f * dt, 1e-15);
        EXPECT_NEAR(s->ov_depth[1], 0.5 - f * dt, 1e-15);
        EXPECT_GT(f, k); // finite capacity above the conductivity
    }
}

TEST_F(GreenAmpt, DryShortHeldAndLakeCells)
{
    // Cell 1 dry, 2 shallower than f dt, 3 to 5 head-boundary types 2, 3, 9,
    // 6 an ordinary boundary type, 7 under a channel lake, 8 half its area.
    auto s = soil_cells(8, k, hc, 0.45, 0.15, 0.5);
    s->ov_depth[1] = 1e-17;
    s->ov_depth[2] = 1e-4;
    s->ov_depth[3] = 1e-4;
    s->ov_boundary = 1;
    s->boundary_type.assign(8, 0);
    s->boundary_type[3] = 2;
    s->boundary_type[4] = 3;
    s->boundary_type[5] = 9;
    s->boundary_type[6] = 1;
    s->chan_lakes = 1;
    s->lake_mask.assign(8, 0);
    s->lake_mask[7] = 2;
    s->area_reduction_given = 1;
    s->area_reduction_values.assign(8, 1.0);
    s->area_reduction_values[8] = 0.5;
    ASSERT_TRUE(green_ampt_step(*s, dt));

    EXPECT_EQ(s->ov_depth[1], 0.0);
    EXPECT_EQ(s->inf_rate[1], 0.0);
    EXPECT_EQ(s->event_inf_depth[1], 0.0);

    EXPECT_EQ(s->ov_depth[2], 0.0);
    EXPECT_DOUBLE_EQ(s->inf_rate[2], 1e-4 / dt * 360000.0);
    EXPECT_DOUBLE_EQ(s->event_inf_depth[2], 1e-4);

    const double f = s->inf_rate[6] / 360000.0;
    EXPECT_NEAR(s->ov_depth[6], 0.5 - f * dt, 1e-15);
    EXPECT_EQ(s->ov_depth[3], 1e-4);
    for (int i : {4, 5}) {
        EXPECT_EQ(s->ov_depth[i], 0.5) << i;
        EXPECT_DOUBLE_EQ(s->event_inf_depth[i], f * dt) << i;
    }
    EXPECT_NEAR(s->head_bc_in_total, (1e-4 + 2.0 * f * dt) * 100.0, 1e-12);

    EXPECT_EQ(s->ov_depth[7], 0.5);
    EXPECT_EQ(s->inf_rate[7], 0.0);
    EXPECT_EQ(s->event_inf_depth[7], 0.0);

    EXPECT_DOUBLE_EQ(s->inf_rate[8], 0.5 * s->inf_rate[6]);
}

TEST_F(GreenAmpt, UnusableCellsAreRefusedAtTheFirstPass)
{
    struct bad_case {
        const char* name;
        double k, th0;
        const char* message;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const bad_case cases[] = {
        {"wetter than porous", k, 0.5, "Green-Ampt infiltration: cell 3 cannot infiltrate: conductivity 1e-05 m/s, "
                                       "capillary head 0.11 m, porosity 0.45, initial water content 0.5\n"},
        {"conductivity not a number", nan, 0.15, "Green-Ampt infiltration: cell 3 cannot infiltrate: conductivity nan"},
    };
    for (const bad_case& c : cases) {
        error_state_clear();
        auto s = soil_cells(4, k, hc, 0.45, 0.15, 0.5);
        s->dist_ksat[3] = c.k;
        s->dist_init_moisture[3] = c.th0;
        s->dist_init_moisture[4] = c.th0;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(green_ampt_step(*s, dt)) << c.name;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(c.message), std::string::npos) << c.name << "\n" << out;
        EXPECT_EQ(error_state.code, err_stop) << c.name;
        EXPECT_EQ(s->ov_depth[1], 0.5) << c.name; // nothing moved
    }
}

TEST_F(GreenAmpt, EachRunComputesItsOwnSuctionTerm)
{
    // Two runs in one process with different initial moisture: the second
    // follows its own soil, not the first run's.
    auto first = soil_cells(1, k, hc, 0.45, 0.15, 0.5);
    ASSERT_TRUE(green_ampt_step(*first, dt));
    auto second = soil_cells(1, k, hc, 0.45, 0.35, 0.5);
    ASSERT_TRUE(green_ampt_step(*second, dt));
    const double f = second->inf_rate[1] / 360000.0;
    const double s2 = 0.11 * (0.45 - 0.35);
    EXPECT_NEAR(s2 * k / (f - k), implicit_green_ampt(0.0, s2, k, dt), 1e-6);
    EXPECT_EQ(second->psi_dtheta[1], s2);
}

TEST_F(GreenAmpt, OneAndFourThreadsGiveTheSameCells)
{
    // A grid above the single-thread size with varied soils, depths and
    // head-boundary cells, three passes.
    const int n = 6000;
    auto run = [&](int threads) {
        auto s = soil_cells(n, k, hc, 0.45, 0.15, 0.0);
        s->ov_boundary = 1;
        s->boundary_type.assign(n, 0);
        for (int i = 1; i <= n; ++i) {
            s->dist_ksat[i] = k * (0.2 + (i % 17) / 10.0);
            s->dist_init_moisture[i] = 0.05 + 0.3 * (i % 11) / 11.0;
            s->ov_depth[i] = (i % 3) * 0.002 * (i % 7);
            if (i % 13 == 0)
                s->boundary_type[i] = 2;
        }
        const int saved = omp_get_max_threads();
        omp_set_num_threads(threads);
        for (int p = 0; p < 3; ++p)
            EXPECT_TRUE(green_ampt_step(*s, dt));
        omp_set_num_threads(saved);
        return s;
    };
    auto one = run(1);
    auto four = run(4);
    for (int i = 1; i <= n; ++i) {
        ASSERT_EQ(one->ov_depth[i], four->ov_depth[i]) << i;
        ASSERT_EQ(one->event_inf_depth[i], four->event_inf_depth[i]) << i;
        ASSERT_EQ(one->inf_rate[i], four->inf_rate[i]) << i;
    }
    EXPECT_NEAR(one->head_bc_in_total, four->head_bc_in_total, 1e-12 * one->head_bc_in_total);
    EXPECT_GT(one->head_bc_in_total, 0.0);
}
