// Hourly step of long-term runs: reads the next weather record, logs the
// basin means of the past hour ("evap_out"), computes evapotranspiration,
// evaporates the channel lakes, advances the frozen-ground index and runs
// the hourly snow melt. When the data end the run ends, unless the last
// rain event is still under way.
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "hydromet/hmet_services.h"
#include "hydromet/hydromet_steps.h"
#include "hydromet/snow_services.h"
#include "overland/lake_files.h"

namespace
{

constexpr double hmet_done = -10.0; // hmet_next once the data ended during the last event

bool lake_cell(const model_state& s, int k)
{
    return (s.overland_lake_on && s.oland_lake_new.size() >= s.num_cells && s.oland_lake_new[k] > 0) ||
           (s.chan_lakes && s.lake_mask.size() >= s.num_cells && s.lake_mask[k] > 0);
}

void log_hour(model_state& s)
{
    const int n_all = s.num_cells;
    int n = n_all;
    double infil = 0.0, bottom = 0.0, theta = 0.0, pet = 0.0, cfgi = 0.0;
    double top_sum = 0.0, low_sum = 0.0;
    int top_n = 0, low_n = 0;
    // The top layer of the accounting column (cm): the soil type's first
    // layer with layered soil, else TOP_LAYER_DEPTH.
    const bool layered = s.inf_layered_soil && s.soiltype.size() >= n_all;
    for (int k = 1; k <= n_all; ++k) {
        if (lake_cell(s, k)) {
            --n;
            continue;
        }
        if (s.inf_rate.size() >= n_all)
            infil += s.inf_rate[k];
        if (s.soil_bottom_flux.size() >= n_all)
            bottom += s.soil_bottom_flux[k];
        if (s.inf_richards && s.THETA.rows() > k)
            s.soil_moisture[k] = s.THETA[k][1];
        if (std::isnan(s.soil_moisture[k]))
            std::printf("Theta_all for cell %d is not a number \n", k);
        theta += s.soil_moisture[k];
        pet += s.pet_rate[k] * 3600.0;
        cfgi += s.cfgi[k];
        if (s.soil_water_acct) {
            double top_depth = s.top_layer_depth;
            if (layered && s.soiltype[k] >= 0 && s.soiltype[k] < soil_type_count)
                top_depth = s.soil_layers[static_cast<std::size_t>(s.soiltype[k])].depth[0];
            if (s.soil_depth[k] > top_depth) {
                ++top_n;
                ++low_n;
                top_sum += s.soil_water_top[k] / top_depth;
                low_sum += s.soil_water_low[k] / (s.soil_depth[k] - top_depth);
            } else if (s.soil_depth[k] > 1e-16) {
                ++top_n;
                top_sum += s.soil_water_top[k] / s.soil_depth[k];
            }
        }
    }
    // An all-lake basin has no cell to average: its means are 0.
    const double div = n > 0 ? n : 1.0;
    s.avg_infil = n > 0 ? infil / div : 0.0;
    s.avg_bottom_flux = n > 0 ? bottom / div : 0.0;
    s.avg_theta = n > 0 ? theta / div : 0.0;
    pet = n > 0 ? pet / div : 0.0;
    cfgi = n > 0 ? cfgi / div : 0.0;
    const double area = s.gridsize * s.gridsize * n;
    s.aet_avg = n > 0 ? (s.evap_total - s.evap_total_prev) / area * 100.0 : 0.0;
    s.evap_total_prev = s.evap_total;
    if (!s.super_quiet && s.calib_mode != 1)
        std::printf("%d/%d/%d %2d:00 PET cm/h %6.4lf AET cm/h %6.4lf Infil cm/h %6.4lf Theta %5.2lf \n", s.cur_year,
                    s.cur_month, s.cur_day, s.cur_hour, pet, s.aet_avg, s.avg_infil, s.avg_theta);
    if (!s.evap_log.fp)
        return;
    std::fprintf(s.evap_log.fp, "%d/%d/%d  %2d:00 %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf %12.6lf",
                 s.cur_year, s.cur_month, s.cur_day, s.cur_hour, s.avg_theta, pet, s.aet_avg, s.avg_infil,
                 s.avg_bottom_flux, cfgi, s.hmet_air_temp);
    if (s.soil_water_acct)
        std::fprintf(s.evap_log.fp, "%12.6lf   %12.6lf", top_n ? top_sum / top_n : 999.99,
                     low_n ? low_sum / low_n : 999.99);
    std::fprintf(s.evap_log.fp, "\n");
}

void print_moisture_line(model_state& s)
{
    int n = s.num_cells;
    double theta = 0.0;
    for (int k = 1; k <= s.num_cells; ++k) {
        if (lake_cell(s, k)) {
            --n;
            continue;
        }
        theta += s.soil_moisture.size() >= s.num_cells ? s.soil_moisture[k] : 0.0;
    }
    s.avg_theta = n > 0 ? theta / n : 0.0;
    std::printf("longterm %d/%d/%d  %2d:00 Avg. Soil Moisture: %7.2lf  \n", s.cur_year, s.cur_month, s.cur_day,
                s.cur_hour, s.avg_theta);
    if (s.flush_buffer && ++s.flush_line_count == s.flush_buffer_lines) {
        std::fflush(stdout);
        s.flush_line_count = 0;
    }
}

} // namespace

void longterm_hmet_step(model_state& s)
{
    if (!s.long_term || !process_due(s, s.hmet_next))
        return;
    const double t_snow = (s.current_time - s.hmet_last) * 86400.0; // since the last hour, s
    // Records before the START_DATE are passed over once per run.
    int result = 0;
    if (s.explicit_start == 1 && !s.hmet_start_skipped) {
        s.hmet_start_skipped = 1;
        while (s.current_time > s.time_tol) {
            result = read_hmet_record(s);
            if (result == -1)
                break;
            const int* d = s.hmet_first_date;
            if (s.current_time - julian_date(d[0], d[1], d[2], d[3], 0, 0.0) <= s.time_tol)
                break;
        }
    }
    if (result != -1)
        result = read_hmet_record(s);
    if (run_stopped()) // a reader error stops the run, not the data's end
        return;
    if (result == -1) {
        if (s.event_active && s.event_num == s.num_events) {
            s.hmet_next = hmet_done;
        } else {
            s.keep_running = 0;
            std::printf("End of meteorology data reached.  TORVA terminated\n");
        }
    } else {
        if (s.inf_richards || s.soil_water_acct)
            log_hour(s);
        else
            print_moisture_line(s);
        s.hmet_air_temp = evapo_trans(s);
        if (s.chan_lakes)
            lake_evaporation(s, s.hmet_wind, s.hmet_air_temp, s.hmet_rel_hum);
        s.hmet_last = s.current_time;
        s.hmet_call_count += 1;
        s.hmet_next = next_on_phase(s, s.hmet_next, s.hmet_dt_days); // one record per hour
    }
    update_cfgi(s);
    hourly_snow_step(s, t_snow);
}
