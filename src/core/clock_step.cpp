// Advances the step clock and the calendar. The current time is always the
// step counter times the base step plus the origin, never accumulated.
#include "core/clock_step.h"

#include "core/julian.h"
#include "core/model_state.h"

int month_days[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

void clock_step(model_state& s)
{
    if (s.clock_passes != 0) {
        ++s.step_count;
        ++s.event_step;
        ++s.step_tally;
        s.current_time = s.step_count * s.dt_days + s.time_origin;
        s.elapsed_min = s.step_count * s.timestep / 60.0;
    }
    ++s.clock_passes;

    calendar_from_julian(s.current_time, s.cur_year, s.cur_month, s.cur_day, s.cur_hour,
                         s.cur_minute, s.cur_seconds);
    s.cur_second = static_cast<int>(s.cur_seconds);

    month_days[2] = gregorian_leap_year(s.cur_year) ? 29 : 28;
    int yday = s.cur_day;
    for (int m = 1; m < s.cur_month && m <= 12; ++m) yday += month_days[m];
    s.cur_yday = yday;
}
