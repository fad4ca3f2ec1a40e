// Event initialisation: at the start of a rain event, restart the surface
// clocks, clear the event's accumulators and set the end of an event run.
#include <cstdio>

#include "core/model_state.h"
#include "core/run_steps.h"

void event_start_step(model_state& s)
{
    if (!process_due(s, s.next_event_time)) return;
    const double now = s.current_time;
    s.surface_active = 1;

    // TODO: dry-gap Richards update of long-term runs.
    s.ov_last = now;
    s.ov_next = now + s.ov_dt_days;
    s.inf_dt = s.ov_dt;
    s.inf_dt_days = s.ov_dt_days;
    if (s.inf_next > now + 2.0 * s.ov_dt_days) s.inf_next = now + 2.0 * s.ov_dt_days;

    // TODO: constituent clocks and accumulators, groundwater, soil-water
    // accounting, the per-cell initial state of the infiltration schemes,
    // calibration peaks, initial surface, sediment, channel, snow and pipe
    // storages of the event.

    if (s.clock_passes != 1) s.event_step = 1;
    s.inf_step_count = 1;
    s.peak_q = 0.0;
    s.rain_vol = 0.0;
    s.init_surface_vol = 0.0;
    s.outflow_vol = 0.0;
    s.event_peak_q = 0.0;
    s.exfil_vol_event_start = s.exfil_vol_total;
    s.awaiting_rain = 1;
    s.event_rain_sum = 0.0;
    s.infil_vol = 0.0;
    s.rain_start_min = 0.0;
    s.rain_steps = 0;
    s.rain_period = 1;
    if (!s.super_quiet && !s.calib_mode) std::printf("Initialized Arrays\n");

    if (!s.long_term && !s.qnt_mode) {
        if (!s.super_quiet && !s.calib_mode) std::printf("simulation duration %d minutes\n", s.tot_time);
        s.event_end_time = s.sim_start_jd + s.tot_time / 1440.0;
    }
}
