// The rain step: at each overland step during rain, move the rain of the
// elapsed interval through the canopy onto the land, into channel and
// overland lakes, into the snowpack or out through head boundaries, keeping
// the rain volumes; in long-term runs the snow then melts over the interval.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "hydromet/hmet_services.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/rain_services.h"
#include "hydromet/snow_services.h"

namespace
{

constexpr double mm_h_seconds = 3.6e6; // mm/h times seconds to metres

// Length of the overland interval now ending, in seconds.
double interval_seconds(const model_state& s)
{
    return seconds_between(s.ov_last, s.current_time);
}

// The mean rate of the interval now ending for rain from a precipitation
// file: the banked rain of the periods that ended within the interval plus
// the current rate since the last boundary. Clears the bank.
const dvec& file_rain_rates(model_state& s, double t, int n)
{
    const double tail = seconds_between(s.rain_mark, s.current_time);
    for (int i = 1; i <= n; ++i) {
        const double depth = s.rain_pending[i] + (tail > 0.0 ? s.rain_rate[i] * tail : 0.0);
        s.rain_step_rate[i] = t > 0.0 ? depth / t : 0.0;
        s.rain_pending[i] = 0.0;
    }
    s.rain_mark = s.current_time;
    s.rain_pending_on = 0;
    return s.rain_step_rate;
}

// Air temperature of a cell for snow: per cell with orographic variation or
// hourly grids, else the station's.
double air_temp(const model_state& s, int i, bool cell_temps)
{
    return cell_temps && s.hmet_cell_temp.size() >= i ? s.hmet_cell_temp[i] : s.hmet_air_temp;
}

bool interception_ready(const model_state& s, int n)
{
    return s.ri_eff.size() >= n && s.icep_dep.size() >= n && s.dist_icep_cap.size() >= n &&
           s.dist_icep_coeff.size() >= n;
}

} // namespace

void precip_apply_step(model_state& s)
{
    const bool file_rain = s.precip_file_on && s.rain_pending.size() >= s.num_cells &&
                           s.rain_step_rate.size() >= s.num_cells;
    // The last interval of a file's rain is still applied after its rain ended.
    if (!(s.rain_state == 1 || (file_rain && s.rain_pending_on)) || !process_due(s, s.ov_next))
        return;
    const double t = interval_seconds(s);
    if (s.precip_unif)
        ++s.rain_period_index;

    const int n = std::min({s.num_cells, s.rain_rate.size(), s.ov_depth.size()});
    const dvec& rates = file_rain ? file_rain_rates(s, t, n) : s.rain_rate;
    const double area = s.gridsize * s.gridsize;
    const bool icep = s.interception != 0;
    if (icep) {
        if (!interception_ready(s, n)) {
            std::printf(
                "Error: interception is on but the interception parameters of the cells are missing\n");
            error_set(err_stop);
            return;
        }
        interception_season season;
        season.month = s.cur_month;
        season.seasonal_rs = s.seasonal_rs;
        season.latitude = s.latitude;
        season.spring = s.seasonal_rs_spring;
        season.fall = s.seasonal_rs_fall;
        season.summer_start = s.seasonal_rs_summer_start;
        season.summer_end = s.seasonal_rs_summer_end;
        intercept_rain(n, t, s.dist_icep_cap, s.dist_icep_coeff, rates, s.ri_eff, s.icep_dep,
                       s.interception_total, s.gridsize, season, s.chan_lakes, s.lake_mask);
    }
    if (s.overland_lake_on)
        for (ov_lake& lake : s.oland_lakes)
            lake.step_rain = 0.0;

    const bool chan_lake = s.chan_lakes && s.lake_mask.size() >= n;
    const bool ov_lake_on = s.overland_lake_on && s.oland_lake_new.size() >= n;
    const bool boundary = s.ov_boundary && s.boundary_type.size() >= n;
    const bool blocked = s.ovr_flow_block && s.ov_block_frac.size() >= n;
    const bool work = s.ov_cell_work.size() >= n;
    const int lakes = s.lake_volume.size();
    // The channel constituent step carries each lake's rain volume.
    const bool lake_rain = s.chan_con_trans && s.lake_precip_conc.size() >= lakes;
    const int ov_lakes = static_cast<int>(s.oland_lakes.size()) - 1;
    const bool snow = s.long_term && s.snow_swe.size() >= n && s.snow_scf.size() >= n;
    const bool cell_temps = s.hmet_ascii || orog_hmet_on(s);

    for (int i = 1; i <= n; ++i) {
        const double gross = t * rates[i] * area / mm_h_seconds;
        if (chan_lake) {
            const int k = s.lake_mask[i];
            if (k > 0 && k <= lakes) {
                s.lake_volume[k] += gross;
                s.lake_inflow_volume += gross;
                s.lake_rain_vol += gross;
                s.event_lake_rain_vol += gross;
                s.precip_total += gross;
                if (lake_rain)
                    s.lake_precip_conc[k] += gross;
                continue;
            }
        }
        bool on_lake = false; // the lake takes the rain, the cell's depth none of it
        if (ov_lake_on) {
            const int k = s.oland_lake_new[i];
            if (k > 0 && k <= ov_lakes) {
                s.oland_lakes[static_cast<std::size_t>(k)].step_rain += gross;
                s.oland_lake_changed = 1;
                s.oland_lake_inflow_volume += gross;
                on_lake = true;
            }
        }
        const double rate = icep ? s.ri_eff[i] : rates[i];
        const double volume = icep ? area * rate * t / mm_h_seconds : gross;
        s.precip_total += volume;
        s.rain_vol += volume;
        s.event_rain_sum += rate;

        double d = t * rate / mm_h_seconds;
        const int type = boundary ? s.boundary_type[i] : 0;
        if (type == 2 || type == 3 || type == 9) {
            s.head_bc_out_total += area * d;
        } else if (on_lake) {
            // The overland lake took this cell's rain above.
        } else if (snow && air_temp(s, i, cell_temps) <= s.snow_temp_threshold + 1e-16) {
            s.snow_present = 1;
            s.snow_swe[i] += s.snow_scf[i] * d;
        } else {
            if (blocked && s.ov_block_frac[i] < 1.0)
                d *= 1.0 - s.ov_block_frac[i];
            s.ov_depth[i] += d;
        }
        if (std::isnan(s.ov_depth[i])) {
            std::printf(
                "A non-real number for water depth has been detected for overland cell %d after applying "
                "rainfall\n",
                i);
            error_set(err_stop);
            return;
        }
        if (s.ov_depth[i] < -1e-16) {
            std::printf(
                "A negative depth has been detected for overland cell %d after applying rainfall, check "
                "your rainfall input for negative values\n",
                i);
            error_set(err_stop);
            return;
        }
        if (work)
            s.ov_cell_work[i] = 0.0;
    }

    if (s.event_rain_sum > 0.0) {
        ++s.rain_steps;
        if (s.awaiting_rain) {
            s.awaiting_rain = 0;
            s.rain_start_min = s.elapsed_min;
        }
    }
    // Snow accumulation and melt of long-term runs, over the same interval.
    if (snow && s.snow_present &&
        (air_temp(s, n, cell_temps) > s.snow_temp_threshold || !s.eb_snow)) {
        int eb_melt = 0;
        s.snow_present = snow_melt_step(s, t, 0, icep ? s.ri_eff : rates, eb_melt);
    }
}
