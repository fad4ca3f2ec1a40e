// The run controls: the working base step, the output intervals counted in
// base steps, the outlet, and the location checks of long-term runs.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/proc_group.h"
#include "core/run_steps.h"

namespace {

// An output interval shorter than one base step would write at no step and
// divide by zero where the interval is used.
bool interval_fits(const char* card, double minutes, double timestep)
{
    if (minutes * 60.0 >= timestep) return true;
    std::printf("Error: the %s interval of %g minutes is shorter than the time step of %g seconds.\n"
                "Give %s a value of at least one time step.\n",
                card, minutes, timestep, card);
    error_set(err_stop);
    error_state.raised = 1;
    return false;
}

// The card that set the base step: the channel step when it is the shorter.
const char* step_card(const run_params& run)
{
    return run.st_time_step < run.timestep ? "ST_TIME_STEP" : "TIMESTEP";
}

// Lengths the process clocks can keep. An event run ends TOT_TIME minutes
// after its start: without it the run would end at once, and a base step
// longer than the run would take a single step. The hourly processes read or
// model one hour per run, so the base step cannot be longer than an hour.
// A groundwater interval within the clocks' tolerance would never fall due.
bool clock_lengths_fit(const model_state& s, const run_params& run)
{
    const bool event_run = !s.long_term && !s.qnt_mode;
    if (event_run && run.tot_time <= 0) {
        std::printf("Error: Total simulation time not specified.\n"
                    "An event run needs its length in minutes: give it with the card TOT_TIME.\n");
    } else if (event_run && s.timestep > 60.0 * run.tot_time) {
        std::printf("Error: the time step of %g seconds (%s) is longer than the run of %d minutes "
                    "(TOT_TIME).\n",
                    s.timestep, step_card(run), run.tot_time);
    } else if ((s.long_term || s.sacramento || s.conceptual_gw) && s.timestep > 3600.0) {
        std::printf("Error: the time step of %g seconds (%s) is longer than an hour; %s runs hour by hour "
                    "and needs a time step of at most 3600 seconds.\n",
                    s.timestep, step_card(run),
                    s.long_term ? "LONG_TERM" : s.sacramento ? "SACRAMENTO" : "CONCEPTUAL_GW");
    } else if (s.gw_simulation && s.cards.gw_timestep <= process_time_tol * 86400.0) {
        std::printf("Error: the groundwater step GW_TIMESTEP of %g seconds is not longer than the 0.01 "
                    "seconds to which the process clocks keep time.\n",
                    s.cards.gw_timestep);
    } else {
        return true;
    }
    error_set(err_stop);
    error_state.raised = 1;
    return false;
}

} // namespace

void set_run_controls(model_state& s)
{
    run_params& run = s.run;
    if (run.st_time_step < 0.01) {
        run.st_time_step = run.timestep;
        s.timestep = run.timestep;
    } else {
        s.timestep = run.timestep < run.st_time_step ? run.timestep : run.st_time_step;
    }
    if (s.timestep <= 0.001) {
        error_set(err_dt_zero);
        error_state.raised = 1;
        return;
    }
    s.rows = run.rows;
    s.cols = run.cols;
    s.tot_time = run.tot_time;
    s.timestep_base = s.timestep;
    if (!clock_lengths_fit(s, run))
        return;

    double hyd_freq = run.hyd_freq;
    if (hyd_freq <= 0.0) {
        error_set(err_hyd_freq_default);
        report_error(error_state);
        hyd_freq = 60.0;
    }
    if (!interval_fits("HYD_FREQ", hyd_freq, s.timestep)) return;
    s.hyd_freq_steps = static_cast<int>(60.0 / s.timestep * hyd_freq);

    int map_freq = run.map_freq;
    if (map_freq == 0) {
        map_freq = 360;
        if (!s.super_quiet && group_ctx.rank == 0)
            std::printf("Warning: Write solution time step not specified, defaulting to 6 hours.\n");
    }
    if (!interval_fits("MAP_FREQ", map_freq, s.timestep)) return;
    s.map_freq_steps = static_cast<int>(60.0 / s.timestep * map_freq);

    s.outslope = run.outslope;
    s.outrow = run.outrow;
    s.outcol = run.outcol;
    if (s.outslope < 1e-9) {
        error_set(err_no_outlet_slope);
        error_state.raised = 1;
        return;
    }

    s.latitude = run.latitude;
    s.longitude = run.longitude;
    s.gridsize = run.gridsize;
    if (s.long_term && (!run.latitude_given || !run.longitude_given)) {
        error_set(err_lt_no_latlon);
        error_state.raised = 1;
        return;
    }

    s.gmt = run.gmt;
    s.gmt_given = run.gmt_given;
    s.qout_cfs = run.qout_cfs;
    s.quiet = run.quiet;
    if (s.long_term && !run.gmt_given) {
        error_set(err_lt_no_gmt);
        error_state.raised = 1;
        return;
    }
    s.num_rows = s.rows;
    s.num_cols = s.cols;
}
