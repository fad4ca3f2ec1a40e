// The simulation start and the clock of every process. Every process runs
// when its next time lies within time_tol of the current time; the step
// clock starts at time_origin.
#include <cstdio>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/run_steps.h"

namespace {

constexpr double seconds_per_day = 86400.0;

// Start time of rain event k (events 1..num_events; 0 outside the table).
double event_start(const model_state& s, int k)
{
    return event_start_time(s, k);
}

void copy_clock(double& next, double& last, double from_next, double from_last)
{
    next = from_next;
    last = from_last;
}

} // namespace

void init_sim_clock(model_state& s)
{
    const bool lt = s.long_term != 0;
    int k_star = 1;

    // 1. Simulation start.
    if (lt) {
        const int* d = s.hmet_first_date;
        s.sim_start_jd = julian_date(d[0], d[1], d[2], d[3], 0, 0.0);
        s.start_hhmm = d[3] * 100;
        s.start_yyyymmdd = d[0] * 10000 + d[1] * 100 + d[2];
        if (s.run.start_year != 0) {
            s.explicit_start = 1;
            s.cur_year = s.run.start_year;
            s.cur_month = s.run.start_month;
            s.cur_day = s.run.start_day;
            s.cur_hour = s.run.start_hour;
            s.cur_minute = s.run.start_minute;
            s.cur_seconds = 0.0;
            s.cur_second = 0;
            s.start_hhmm = s.cur_hour * 100 + s.cur_minute;
            s.start_yyyymmdd = s.cur_year * 10000 + s.cur_month * 100 + s.cur_day;
            s.current_time = julian_date(s.cur_year, s.cur_month, s.cur_day, s.cur_hour, s.cur_minute, 0.0);
            int before = 0;
            for (int k = 1; k <= s.num_events; ++k)
                if (event_start(s, k) < s.current_time) ++before;
            k_star = 1 + before;
        }
    } else if (!s.precip_unif) {
        s.sim_start_jd = event_start(s, 1);
    }

    // 2. Base step in days, cleared event state.
    s.dt_days = s.timestep_base / seconds_per_day;
    s.exfil_vol_event_start = s.exfil_vol_event = s.exfil_vol_total = s.inf_exfil_vol = 0.0;
    s.qout = 0.0;
    s.run_ended = 0;
    s.event_active = 0;
    s.time_tol = process_time_tol;

    // 3. Current time.
    if (!s.explicit_start) s.current_time = s.sim_start_jd;
    if (s.qnt_mode) s.current_time = event_start(s, s.qnt_event_num ? s.qnt_event_num_value : 1);
    const double now = s.current_time;
    const bool dry = s.gw_exfil_any != 1 && s.surface_active != 1;
    const double e1 = event_start(s, 1);
    const double ek = event_start(s, k_star);

    // 4. Process clocks. Overland.
    s.ov_dt = s.run.timestep;
    s.ov_dt_days = s.ov_dt / seconds_per_day;
    if (lt && dry) {
        s.ov_next = e1;
        s.ov_last = s.ov_next - s.ov_dt_days;
    } else {
        s.ov_next = now;
        s.ov_last = now - s.ov_dt_days;
    }
    if (lt && s.explicit_start) {
        s.ov_last = ek;
        s.ov_next = ek + s.ov_dt_days;
    }
    if (s.qbn_object) {
        // The nutrient clock: next and last time, interval in s and days.
        double* clock = s.qbn_object->clock;
        clock[1] = s.ov_next;
        clock[2] = s.ov_last;
        clock[3] = s.ov_dt;
        clock[4] = s.ov_dt_days;
    }
    if (s.qnt_event_num) {
        s.ov_next = now;
        s.ov_last = now - s.ov_dt_days;
    }

    // Hydrometeorology.
    if (lt) {
        s.hmet_dt = 3600.0;
        s.hmet_dt_days = 1.0 / 24.0;
        s.hmet_next = now;
        s.hmet_last = now - 1.0 / 24.0;
    }

    // Saturated groundwater.
    if (s.gw_simulation == 1) {
        s.gw_dt_days = s.gw_dt / seconds_per_day;
        s.gw_last = now;
        s.gw_next = now + s.gw_dt_days;
    }

    // Lumped models.
    if (s.sacramento) {
        s.sac_dt_days = 1.0 / 24.0;
        s.sac_next = now;
    }
    if (s.conceptual_gw) {
        s.cgw_dt_days = 1.0 / 24.0;
        s.cgw_next = s.sim_start_jd;
    }

    // Infiltration.
    if (s.green_ampt || s.inf_redist || s.inf_layered_soil || s.inf_richards) {
        if (s.inf_richards && lt && dry) {
            s.inf_dt = 3600.0;
            if (s.gw_simulation && s.gw_dt < s.inf_dt) s.inf_dt = s.gw_dt;
        } else {
            s.inf_dt = s.ov_dt;
        }
        s.inf_dt_days = s.inf_dt / seconds_per_day;
        if (lt && dry && !s.inf_richards) {
            const double e = s.explicit_start ? ek : e1;
            s.inf_last = e;
            s.inf_next = e + s.inf_dt_days;
        } else {
            s.inf_last = now;
            s.inf_next = now + s.inf_dt_days;
            if (s.inf_redist) s.redist_active = 1;
        }
        if (s.qnt_event_num) {
            s.inf_last = now;
            s.inf_next = now + s.dt_days;
        }
        if (s.gw_simulation && s.gw_dt > s.inf_dt && s.soil_water_acct == 0) {
            s.gw_dt = s.inf_dt;
            s.gw_dt_days = s.inf_dt_days;
            s.gw_last = now;
            s.gw_next = now + s.gw_dt_days;
        }
    }

    // Soil evapotranspiration.
    if (s.soil_water_acct) {
        if (lt && dry) {
            s.et_dt = s.hmet_dt;
            s.et_dt_days = s.hmet_dt_days;
            s.et_last = s.hmet_next;
            s.et_next = s.et_last + 1.0 / 24.0;
        } else {
            s.et_dt = s.inf_dt;
            s.et_dt_days = s.inf_dt_days;
            s.et_last = s.inf_last;
            s.et_next = s.inf_next;
        }
        if (s.explicit_start) {
            s.et_next = now;
            s.et_last = now - s.dt_days;
        }
    }

    // Channel routing.
    if (s.chan_explicit) {
        s.chan_dt = s.timestep;
        s.chan_dt_days = s.chan_dt / seconds_per_day;
        if (lt && s.gw_step_count != 1) {
            s.chan_last = e1;
            s.chan_next = e1 + s.chan_dt_days;
        } else {
            s.chan_last = s.sim_start_jd;
            s.chan_next = s.sim_start_jd + s.chan_dt_days;
        }
        if (s.explicit_start) {
            s.chan_last = ek;
            s.chan_next = ek + s.chan_dt_days;
        }
        s.lake_at_max = 0;
        for (int l = 1; l <= s.num_lakes && l <= s.initwse.size() && l <= s.minwse.size(); ++l) {
            if (s.initwse[l] <= s.minwse[l]) continue;
            s.chan_dt = s.timestep > 60.0 ? s.timestep : 60.0;
            s.chan_dt_days = s.chan_dt / seconds_per_day;
            s.chan_last = now;
            s.chan_next = now + s.chan_dt_days;
            s.gw_step_count = 1;
            s.lake_at_max = 1;
        }
        if (s.qnt_event_num) {
            s.chan_last = now;
            s.chan_next = now + s.dt_days;
            s.gw_step_count = 1;
        }
        if (s.chan_con_trans) {
            copy_clock(s.chan_con_next, s.chan_con_last, s.chan_next, s.chan_last);
            copy_clock(s.chan_outlet_next, s.chan_outlet_last, s.chan_next, s.chan_last);
            if (s.contam_table_read) copy_clock(s.chan_kin_next, s.chan_kin_last, s.chan_next, s.chan_last);
            if (s.nutrients) {
                copy_clock(s.chan_qbn_next, s.chan_qbn_last, s.chan_next, s.chan_last);
                copy_clock(s.soil_layer_next, s.soil_layer_last, s.et_next, s.et_last);
            }
            // The groundwater loads run with any bed exchange.
            if (s.gw_simulation || s.stream_loss || s.lake_gw_exchange)
                copy_clock(s.chan_load_next, s.chan_load_last, s.chan_next, s.chan_last);
        }
    }

    // Pipe network.
    if (s.storm_sewer) {
        const double interval = s.ov_dt_days;
        if (lt) {
            if (s.gw_exfil_any == 1) {
                s.superlink_last_time = now;
                s.superlink_next_time = now + interval;
            } else if (s.tile_drains && s.gw_simulation) {
                s.superlink_last_time = now;
                s.superlink_next_time = now + interval;
                s.gw_surface_flag = 1;
            } else {
                const double e = s.explicit_start ? ek : e1;
                s.superlink_last_time = e;
                s.superlink_next_time = e + interval;
            }
        } else {
            s.superlink_last_time = now;
            s.superlink_next_time = now + interval;
            s.gw_surface_flag = 1;
        }
        s.superlink_interval = s.ov_dt / seconds_per_day;
    }

    // Overland constituents.
    if (s.ov_con_trans) {
        s.contam_dt = s.ov_dt;
        s.contam_dt_days = s.ov_dt_days;
        copy_clock(s.contam_next, s.contam_last, s.ov_next, s.ov_last);
        copy_clock(s.precip_con_next, s.precip_con_last, s.ov_next, s.ov_last);
        copy_clock(s.precip_load_next, s.precip_load_last, s.inf_next, s.inf_last);
        if (s.contam_table_read) {
            copy_clock(s.soil_exch_next, s.soil_exch_last, s.ov_next, s.ov_last);
            copy_clock(s.ov_loss_next, s.ov_loss_last, s.ov_next, s.ov_last);
        }
        if (s.nutrients) {
            copy_clock(s.qbn_ov_next, s.qbn_ov_last, s.ov_next, s.ov_last);
            if (s.soil_con_trans) copy_clock(s.qbn_ov2_next, s.qbn_ov2_last, s.ov_next, s.ov_last);
        }
        if (s.ov_point_source) {
            s.contam_last = now;
            s.contam_next = now + s.ov_dt_days;
            s.ov_last = now;
            s.inf_last = now;
        }
        if (s.chan_explicit)
            copy_clock(s.ov_chan_exch_next, s.ov_chan_exch_last, s.ov_next, s.ov_last);
        else
            copy_clock(s.outlet_con_next, s.outlet_con_last, s.ov_next, s.ov_last);
        // The soil constituents move with the soil water: on the
        // accounting column's clock when it runs, else on infiltration's.
        if (s.soil_con_trans && s.soil_water_acct)
            copy_clock(s.soil_con_next, s.soil_con_last, s.et_next, s.et_last);
        else
            copy_clock(s.soil_con_next, s.soil_con_last, s.inf_next, s.inf_last);
    }

    // 5. Rain.
    if (s.precip_unif) {
        s.rain_period_index = 1;
        s.event_num = 1;
        s.rain_state = 1;
        s.event_active = 1;
        s.num_rain_periods = static_cast<int>(s.rain_duration * 60.0 / s.ov_dt);
        s.rain_period_next = now;
    } else {
        if (s.qnt_event_num)
            s.rain_period_next = event_start(s, s.qnt_event_num_value);
        else if (s.explicit_start) {
            s.rain_period_next = ek;
            s.event_num = k_star - 1;
        } else {
            s.rain_period_next = e1;
        }
        s.rain_state = 0;
    }
    s.event_done = 0;

    // 6. Uniform rain needs its start date.
    if (s.precip_unif && s.cur_year == 0) {
        std::printf("You did not specify the starting date and time in the\n");
        std::printf("project file.  You must do this for simulations with\n");
        std::printf("uniform precipitation using the START_DATE and START_TIME\n");
        std::printf("cards.  Edit the project file.   Program terminated.\n");
        error_set(err_stop);
        report_error(error_state);
        return;
    }

    // 7. The step clock.
    s.event_step = 0;
    s.inf_step_count = 0;
    s.step_tally = 0;
    s.step_count = 0;
    s.clock_passes = 0;
    s.event_read_ok = 0;
    s.keep_running = 1;
    s.time_origin = s.current_time;
}
