// The rain-period step: at each period boundary load the next period's
// rates into the cells (gauges or a radar grid), run uniform rain, and end
// the event's rain at its last line.
#include <cstdio>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_services.h"

namespace
{

void fill(dvec& a, int n, double value)
{
    const int m = n < a.size() ? n : a.size();
    for (int i = 1; i <= m; ++i)
        a[i] = value;
}

void stop_rain(model_state& s)
{
    fill(s.rain_rate, s.num_cells, 0.0);
    if (s.interception)
        fill(s.ri_eff, s.num_cells, 0.0);
}

bool load_radar_period(model_state& s)
{
    const int index = s.rain_period; // the grid of line rain_period + 1
    if (index < 0 || static_cast<std::size_t>(index) >= s.radar_filenames.size()) {
        std::printf("Error: no radar precip file is given for rain period %d\n", s.rain_period);
        error_set(err_stop);
        return false;
    }
    const std::string& name = s.radar_filenames[static_cast<std::size_t>(index)];
    std::printf("Reading radar precip file %s.\n", name.c_str());
    // A grid that cannot be used stops the run: the cells must not keep the
    // rain of the previous grid.
    if (read_radar_grid(name, s.radar, s.radar_mm) != 0 || apply_radar_grid(s.radar, s.rain_rate) != 0) {
        error_set(err_stop);
        return false;
    }
    return true;
}

// One period boundary of the event; false when the run must stop.
bool period_boundary(model_state& s)
{
    bank_rain_until(s, s.rain_period_next);
    const int m = s.num_rain_periods;
    const bool have_next = s.rain_period >= 1 && s.rain_period < m &&
                           static_cast<std::size_t>(s.rain_period) + 1 < s.rain_period_dates.size();
    if (!have_next) {
        s.raining = 0;
        if (s.rain_state == 1)
            s.rain_state = 0;
        if (s.rain_state == 2)
            s.rain_state = 3;
        stop_rain(s);
        return true;
    }
    if (s.precip_radar == 2) {
        if (!load_radar_period(s))
            return false;
    } else if (s.rain_thiessen) {
        spread_rain_nearest_gage(s.rain_period, s.num_gages, s.nearest, s.rain_rows, s.rain_rate,
                                 s.num_cells);
    } else {
        spread_rain_inverse_distance(s.gridsize, s.rain_period, s.mask, s.num_gages, s.gage_y, s.gage_x,
                                     s.grid_north, s.grid_west, s.rain_rows, s.rain_rate, s.num_rows,
                                     s.num_cols);
    }
    ++s.rain_period;
    const rain_period_date& d = s.rain_period_dates[static_cast<std::size_t>(s.rain_period)];
    s.rain_period_next = julian_date(d.year, d.month, d.day, d.hour, d.minute, 0.0);
    return true;
}

} // namespace

void precip_period_step(model_state& s)
{
    if (s.precip_file_on) {
        if (s.rain_state == 1) {
            // Every boundary reached by now is taken, so a boundary between two
            // steps is not missed and a period of zero length adds no rain.
            while (s.rain_state == 1 && s.current_time >= s.rain_period_next - s.time_tol)
                if (!period_boundary(s))
                    return;
        } else if (process_due(s, s.rain_period_next)) {
            if (!period_boundary(s))
                return;
        }
    }

    if (s.precip_unif && s.rain_state == 1) {
        if (s.step_count == 0) {
            s.event_active = 1;
            s.raining = 1;
            fill(s.rain_rate, s.num_cells, s.rain_intensity);
        }
        if (s.rain_period_index == s.num_rain_periods + 1) {
            stop_rain(s);
            s.event_active = 0;
            s.raining = 0;
            s.rain_state = 3;
        }
    }

    const int n = s.num_cells < s.rain_rate.size() ? s.num_cells : s.rain_rate.size();
    for (int i = 1; i <= n; ++i) {
        if (s.rain_rate[i] < -1e-16) {
            std::printf(
                "A negative rainfall has been detected for overland cell %d, check your rainfall input "
                "for negative values\n",
                i);
            error_set(err_stop);
            return;
        }
    }
}
