// The overland step over many steps: the kinematic wave on a tilted strip,
// the water balance, the same results on any thread count, and the step's
// own decisions (clock, sweep order, depth checks, end of an event run).
#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/platform.h"
#include "overland/ade_kernels.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"
#include "support/test_support.h"

using overland_test::make_plane;
using overland_test::plane_desc;
using overland_test::surface_volume;

namespace
{

struct OverlandStep : testing::Test {
    void SetUp() override
    {
        error_state_clear();
        ade_process_state() = ade_state();
    }
    void TearDown() override { error_state_clear(); }
};

// Rain of `rate` m/s on every cell before each overland step, as the rain
// step does; returns qout of every step.
std::vector<double> rain_run(model_state& s, double rate, int steps, double& rain_volume)
{
    std::vector<double> q;
    const double start = s.current_time;
    const double dt = s.ov_dt;
    rain_volume = 0.0;
    s.raining = 1;
    for (int k = 0; k < steps; ++k) {
        s.current_time = start + k * s.ov_dt_days;
        for (int i = 1; i <= s.num_cells; ++i)
            s.ov_depth[i] += rate * dt;
        rain_volume += rate * dt * s.num_cells * s.gridsize * s.gridsize;
        overland_step(s);
        if (error_state.raised)
            break;
        q.push_back(s.qout);
    }
    return q;
}

} // namespace

TEST_F(OverlandStep, KinematicWaveOnATiltedStrip)
{
    // Both overland schemes: ADE (OVERTYPE 2) and ADE-PC (OVERTYPE 3).
    for (int overtype : {2, 3}) {
        SCOPED_TRACE("OVERTYPE " + std::to_string(overtype));
        ade_process_state() = ade_state();
        plane_desc desc;
        desc.cols = 60; // 600 m long, 10 m wide
        desc.step = 5.0;
        desc.overtype = overtype;
        auto s = make_plane(desc);
        const double rate = 50.0 / 1000.0 / 3600.0; // 50 mm/h
        const double alpha = std::sqrt(desc.slope_x) / desc.n;
        const double length = desc.cols * desc.dx;
        const double tc = std::pow(length / (alpha * std::pow(rate, 2.0 / 3.0)), 0.6);
        const int steps = static_cast<int>(3.0 * tc / s->ov_dt);
        double rain = 0.0;
        const std::vector<double> q = rain_run(*s, rate, steps, rain);
        ASSERT_EQ(static_cast<int>(q.size()), steps);

        // Rising limb: q = alpha (i t)^(5/3) per unit width until the time
        // of concentration. Each step's discharge is the mean over the step;
        // two steps are taken together, one of each sweep order, because the
        // split directions of ADE-PC drain the outlet before or after the x
        // sweep in turn.
        for (int k = 0; k + 1 < steps; ++k) {
            const double t = (k + 1) * s->ov_dt;
            if (t < 0.2 * tc || t > 0.8 * tc)
                continue;
            const double analytic = alpha * std::pow(rate * t, 5.0 / 3.0) * desc.dx;
            const double two_steps = 0.5 * (q[static_cast<size_t>(k)] + q[static_cast<size_t>(k) + 1]);
            EXPECT_NEAR(two_steps, analytic, 0.03 * analytic) << "t = " << t;
        }
        // Equilibrium: rain rate times area.
        const double equilibrium = rate * length * desc.dx;
        EXPECT_NEAR(0.5 * (q[q.size() - 2] + q.back()), equilibrium, 0.005 * equilibrium);

        // Outflow and storage account for all the rain.
        EXPECT_NEAR(s->outflow_vol + surface_volume(*s) - s->ov_cleanup_volume, rain, 1e-6 * rain);
        EXPECT_LT(s->ov_cleanup_volume, 1e-6 * rain);
        EXPECT_DOUBLE_EQ(s->discharge_total, s->outflow_vol);
    }
}

TEST_F(OverlandStep, SameResultsOnOneAndFourThreads)
{
    // Large enough for the per-cell loops to run in parallel.
    plane_desc desc;
    desc.rows = 64;
    desc.cols = 70;
    desc.slope_y = 0.005;
    ASSERT_GE(desc.rows * desc.cols, ade_parallel_cells);
    const int saved = thread_count();
    std::vector<std::string> printed;
    for (int threads : {1, 4}) {
        set_thread_count(threads);
        ade_process_state() = ade_state();
        auto s = make_plane(desc);
        double rain = 0.0;
        const std::vector<double> q = rain_run(*s, 100.0 / 1000.0 / 3600.0, 120, rain);
        std::string text;
        char line[64];
        for (double v : q) {
            std::snprintf(line, sizeof line, "%12.6lf\n", v);
            text += line;
        }
        for (int i = 1; i <= s->num_cells; i += 97) {
            std::snprintf(line, sizeof line, "%.10e\n", s->ov_depth[i]);
            text += line;
        }
        printed.push_back(text);
    }
    set_thread_count(saved);
    EXPECT_EQ(printed[0], printed[1]);
}

TEST_F(OverlandStep, ClockSweepOrderAndDryCells)
{
    plane_desc desc;
    auto s = make_plane(desc);
    const double start = s->current_time;

    // Not due: nothing changes.
    s->current_time = start + 5.0 / 86400.0;
    overland_step(*s);
    EXPECT_EQ(s->ov_next, start);

    // Due but dry: the clock advances, nothing is routed, the sweep order stays.
    s->current_time = start;
    s->qout = 3.0;
    overland_step(*s);
    EXPECT_EQ(s->qout, 0.0);
    EXPECT_EQ(s->sweep_order, 1);
    EXPECT_EQ(s->ov_last, start);
    EXPECT_NEAR((s->ov_next - start) * 86400.0, 10.0, 1e-3);
    EXPECT_EQ(s->ov_wet, 0);

    // Wet: x first, then y first, alternately.
    for (int i = 1; i <= s->num_cells; ++i)
        s->ov_depth[i] = 0.01;
    std::vector<int> orders;
    for (int k = 1; k <= 3; ++k) {
        s->current_time = start + k * s->ov_dt_days;
        orders.push_back(s->sweep_order);
        overland_step(*s);
    }
    EXPECT_EQ(orders, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(s->ov_wet, 1);
    EXPECT_GT(s->qout, 0.0);
}

TEST_F(OverlandStep, NonRealDepthStopsTheRun)
{
    plane_desc desc;
    auto s = make_plane(desc);
    s->ov_depth[7] = std::numeric_limits<double>::quiet_NaN();
    const double next = s->ov_next;
    testing::internal::CaptureStdout();
    overland_step(*s);
    const std::string text = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text,
              "A non-real overland flow water depth has been detected in cell 7 after applying overland "
              "boundary conditions and overland pumping.\n\n");
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(s->ov_next, next); // the clock did not advance
}

TEST_F(OverlandStep, EventRunWithChannelsEndsWhenTheSurfaceIsDry)
{
    torva_test::scratch_dir dir("ovstep");
    plane_desc desc;
    auto s = make_plane(desc);
    ASSERT_TRUE(file_rec_open(s->summary_file, dir.file("run.sum"), "w"));
    s->keep_running = 1;
    s->event_active = 1;
    s->rain_vol = 100.0;

    // Without channel routing the event runs for its whole time.
    overland_step(*s);
    EXPECT_EQ(s->keep_running, 1);

    s->chan_explicit = 1;
    s->current_time = s->ov_next;
    testing::internal::CaptureStdout();
    overland_step(*s);
    const std::string text = testing::internal::GetCapturedStdout();
    file_rec_close(s->summary_file);
    EXPECT_EQ(text, "Rainfall for this event has ended.\n");
    EXPECT_EQ(torva_test::read_file(dir.file("run.sum")),
              "Rainfall for this event ended. Runoff is complete\n");
    EXPECT_EQ(s->keep_running, 0);
    EXPECT_EQ(s->event_done, 1);
    EXPECT_EQ(s->event_active, 0);
}

TEST_F(OverlandStep, FixedHeadCellsFillOnceAndBookOnlyTheWaterAdded)
{
    plane_desc desc;
    desc.cols = 3;
    auto s = make_plane(desc);
    s->ov_boundary = 1;
    s->boundary_type.assign(3, 0);
    s->ov_bc_values_a.assign(3, 0.0);
    s->ov_bc_values_b.assign(3, 0.0);
    s->boundary_type[1] = 2;      // water surface set once
    s->ov_bc_values_b[1] = 100.5; // ground 100.0
    s->ov_depth[1] = 0.2;         // already holds 0.2 m
    s->boundary_type[3] = 3;      // water surface held every step
    s->ov_bc_values_b[3] = 99.0;  // below its ground of 99.8
    s->ov_depth[3] = 0.1;

    s->ov_bc_values_a[1] = 100.5; // the values in effect at the first step
    s->ov_bc_values_a[3] = 99.0;
    apply_ov_boundaries(*s, 10.0, true);
    EXPECT_DOUBLE_EQ(s->ov_depth[1], 0.5);
    EXPECT_NEAR(s->discharge_bc_in_total, 0.3 * 100.0, 1e-12);
    EXPECT_EQ(s->ov_depth[3], 0.0);
    EXPECT_NEAR(s->head_bc_out_total, 0.1 * 100.0, 1e-12);

    // Later steps do not fill the type-2 cell again.
    s->ov_depth[1] = 0.4;
    apply_ov_boundaries(*s, 10.0, false);
    EXPECT_DOUBLE_EQ(s->ov_depth[1], 0.4);
    EXPECT_NEAR(s->discharge_bc_in_total, 30.0, 1e-12);
}
