// Rain from a precipitation file adds up to the gauge's depths whatever the
// overland step, and falls in the periods the file gives it.
#include <gtest/gtest.h>

#include "core/clock_step.h"
#include "core/run_steps.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_fixture.h"

using namespace rain_test;

namespace
{

// Runs the rain through the time-loop steps (the overland clock advances
// without routing, so depths stay where the rain puts them); returns the
// depth on cell 1 at each overland time after the event's start, the k-th
// at start + (k + 1) steps.
std::vector<double> run_gauge_file(model_state& s, double step_seconds)
{
    use_precip_file(s, fixture("gages.pre"));
    s.run.timestep = s.timestep = s.timestep_base = step_seconds;
    s.tot_time = 60;
    s.super_quiet = 1;
    setup_precipitation(s);
    init_sim_clock(s);
    std::vector<double> depths;
    for (int i = 0; i < 100000 && s.keep_running && !error_state.raised; ++i) {
        clock_step(s);
        precip_event_step(s);
        event_start_step(s);
        precip_period_step(s);
        precip_apply_step(s);
        if (process_due(s, s.ov_next)) {
            depths.push_back(s.ov_depth[1]);
            s.ov_last = s.current_time;
            s.ov_next = s.current_time + s.ov_dt_days;
        }
        event_end_check_step(s);
    }
    return depths;
}

} // namespace

TEST(FileRain, GaugeDepthsAddUpForAnyOverlandStep)
{
    // 3 mm in the first quarter hour, 6 mm in the second: 9 mm in all.
    for (double step : {10.0, 30.0, 70.0, 900.0}) {
        SCOPED_TRACE(step);
        error_state_clear();
        auto s = grid(1, 2, 10.0);
        const std::vector<double> depths = run_gauge_file(*s, step);
        ASSERT_EQ(error_state.code, 0);
        EXPECT_NEAR(s->ov_depth[1], 0.009, 1e-12);
        EXPECT_NEAR(s->ov_depth[2], 0.009, 1e-12);
        EXPECT_NEAR(s->rain_vol, 0.009 * 200.0, 1e-10);
        ASSERT_FALSE(depths.empty());
        EXPECT_NEAR(depths.front(), 12.0 / 3.6e6 * step, 1e-15); // the first step's rain only
    }
    error_state_clear();
}

TEST(FileRain, EachPeriodFallsInItsOwnInterval)
{
    // A 300 s step: after 15 minutes 3 mm, after 30 minutes 9 mm.
    auto s = grid(1, 2, 10.0);
    const std::vector<double> depths = run_gauge_file(*s, 300.0);
    ASSERT_GE(depths.size(), 7u);
    EXPECT_NEAR(depths[2], 0.003, 1e-12); // at 10:15
    EXPECT_NEAR(depths[5], 0.009, 1e-12); // at 10:30
    error_state_clear();
}
