// Relative time series count from the start of the simulation, in runs
// driven by a precipitation file as much as in uniform-rain runs.
#include <gtest/gtest.h>

#include <memory>

#include "core/julian.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "core/run_steps.h"
#include "input/time_series.h"

TEST(RelativeSeries, AnchoredAtTheStartChosenByTheClock)
{
    ts_free_all();
    const double first_event = julian_date(2000, 6, 1, 10, 0, 0.0);
    auto s = std::make_unique<model_state>();
    s->precip_file_on = 1;
    s->event_start_times = {0.0, first_event};
    s->num_events = 1;
    s->run.timestep = s->timestep = s->timestep_base = 10.0;
    init_sim_clock(*s); // the run starts with its first event
    ASSERT_DOUBLE_EQ(s->current_time, first_event);

    time_series* relative = ts_new();
    relative->relative = 1;
    relative->times = {0.0, 0.5};
    relative->count = 2;
    time_series* absolute = ts_new();
    absolute->times = {first_event};
    absolute->count = 1;

    anchor_relative_time_series(*s);
    EXPECT_DOUBLE_EQ(relative->times[0], first_event);
    EXPECT_DOUBLE_EQ(relative->times[1], first_event + 0.5);
    EXPECT_DOUBLE_EQ(absolute->times[0], first_event);
    ts_free_all();
}
