// Calendar of the current time, the step clock, the process clocks and the
// event counters. Every process runs when its next time has come: within
// time_tol of the current time, or inside the base step that ends there.
#pragma once

#include <cmath>

constexpr double process_time_tol = 1.1574074074074074e-7; // 0.01 s in days

struct clock_state {
    // Calendar of current_time.
    int cur_year = 0;
    int cur_month = 0;
    int cur_day = 0;
    int cur_hour = 0;
    int cur_minute = 0;
    int cur_second = 0;
    double cur_seconds = 0.0;
    int cur_yday = 0;

    double sim_start_jd = 0.0;
    double time_tol = 0.0;
    double dt_days = 0.0;
    double current_time = 0.0; // Julian days
    double time_origin = 0.0;
    int explicit_start = 0;

    // Process clocks: interval in seconds and days, last and next time.
    double ov_dt = 0.0, ov_dt_days = 0.0, ov_last = 0.0, ov_next = 0.0;
    double inf_dt = 0.0, inf_dt_days = 0.0, inf_last = 0.0, inf_next = 0.0;
    double chan_dt = 0.0, chan_dt_days = 0.0, chan_last = 0.0, chan_next = 0.0;
    double hmet_dt = 0.0, hmet_dt_days = 0.0, hmet_last = 0.0, hmet_next = 0.0;
    double et_dt = 0.0, et_dt_days = 0.0, et_last = 0.0, et_next = 0.0;
    double gw_dt = 0.0, gw_dt_days = 0.0, gw_last = 0.0, gw_next = 0.0;

    // Rain and events.
    double rain_period_next = 0.0;
    double next_event_time = 0.0;
    int event_done = 0;
    int event_step = 0;
    int inf_step_count = 0;
    int step_tally = 0;
    double event_end_time = 0.0;
    int event_num = 0;
    int num_events = 0;
    int events_done = 0;
    int event_active = 0;
    int run_ended = 0;
    int surface_active = 0;
    int redist_active = 0;
    int rain_state = 0;
    int start_hhmm = 0;
    int start_yyyymmdd = 0;
};

// True when a process whose next time is `next` runs in the base step of
// length `step` (days) that ends at `now`: its next time lies within `tol`
// of now, or it fell due inside the step, after the previous base step. An
// interval that does not line up with the base step (a groundwater step of
// 1 s under a 300 s base step) so runs at the first base step after it is
// due instead of never. A next time at or before the previous base step is a
// clock parked in the past (or one that ran then) and is not due.
inline bool process_due(double next, double now, double tol, double step)
{
    if (std::fabs(next - now) < tol)
        return true;
    return next < now && next > now - step + tol;
}

// Same test on the state's own clock fields.
inline bool process_due(const clock_state& c, double next)
{
    return process_due(next, c.current_time, c.time_tol, c.dt_days);
}

// Seconds a due process integrates: its planned interval (next - last) when
// it falls due on the current time, else the time since its last run.
inline double process_step_seconds(const clock_state& c, double next, double last)
{
    const double days = std::fabs(next - c.current_time) < c.time_tol ? next - last : c.current_time - last;
    return days * 86400.0;
}

// The next time of a process that ran at the current time: one interval on.
// A process that ran late (its interval does not line up with the base
// step) keeps its own phase, one interval after the time it fell due, so
// that it runs at its own rate on average and an hourly process (the weather
// record, the lumped models) does not drift behind the calendar; when that
// time has passed already (an interval shorter than the base step), one
// interval from now.
inline double next_on_phase(const clock_state& c, double next, double interval_days)
{
    if (std::fabs(next - c.current_time) < c.time_tol)
        return c.current_time + interval_days;
    const double on_phase = next + interval_days;
    return on_phase > c.current_time ? on_phase : c.current_time + interval_days;
}

// Month lengths, 1-based; February is rewritten for each year.
extern int month_days[13];
