// The snow work of the hourly step of long-term runs: the hourly snow call
// between rains, the restart of the surface processes when energy-balance
// melt wakes a dry watershed, and the idle rain-on-snow state.
#include "core/model_state.h"
#include "hydromet/hmet_services.h"
#include "hydromet/snow_services.h"
#include "subsurface/infiltration.h"

namespace
{

// A pipe network with any surface inlet on its superlinks starts exchanging
// with the surface at the overland step from now.
void restart_pipe_exchange(model_state& s)
{
    long inlets = 0;
    for (int l = 1; l <= s.num_slink; ++l)
        for (int k = 1; k <= s.superlink_cnodes[l] + 1; ++k)
            if (s.inlet_type[l][k] < 777)
                inlets += s.inlet_type[l][k];
    if (inlets <= 0)
        return;
    s.gw_surface_flag = 1;
    s.superlink_last_time = s.current_time;
    s.superlink_next_time = s.current_time + s.ov_dt_days;
}

// The overland and infiltration clocks restart at the base step from now,
// and the clocks that follow them take their times.
void restart_surface(model_state& s)
{
    const double now = s.current_time;
    s.surface_active = 1;
    s.ov_dt = s.inf_dt = s.timestep_base;
    s.ov_dt_days = s.inf_dt_days = s.dt_days;
    s.ov_last = s.inf_last = now;
    s.ov_next = s.inf_next = now + s.dt_days;
    if (s.ov_con_trans) {
        s.contam_dt = s.ov_dt;
        s.contam_dt_days = s.ov_dt_days;
        s.contam_next = s.ov_next;
        s.contam_last = s.ov_last;
        s.precip_load_next = s.inf_next;
        s.precip_load_last = s.inf_last;
        if (s.chan_explicit) {
            s.ov_chan_exch_next = s.ov_next;
            s.ov_chan_exch_last = s.ov_last;
        } else {
            s.outlet_con_next = s.ov_next;
            s.outlet_con_last = s.ov_last;
        }
        if (s.contam_table_read) {
            s.ov_loss_next = s.soil_exch_next = s.ov_next;
            s.ov_loss_last = s.soil_exch_last = s.ov_last;
        }
    }
    if (s.soil_water_acct) {
        s.et_next = s.inf_next;
        s.et_dt = s.inf_dt;
        s.et_dt_days = s.inf_dt_days;
        if (s.soil_con_trans)
            s.soil_con_next = s.inf_next;
        restart_infiltration_from_column(s);
    }
    if (s.storm_sewer && !s.gw_surface_flag)
        restart_pipe_exchange(s);
}

// No rain and no snow: the rain-on-snow bookkeeping of every cell is cleared.
// With station weather all cells hold the same values, so cell 1 tells.
void clear_rain_on_snow(model_state& s)
{
    const int n = s.num_cells;
    if (n < 1 || s.St_Event.size() < n || s.snow_hour_rain.size() < n || s.HSNOW.rows() < n)
        return;
    if (!s.hmet_ascii && !orog_hmet_on(s)) {
        double sum = s.St_Event[1] + s.snow_hour_rain[1];
        for (int j = 1; j <= 6; ++j)
            sum += s.HSNOW[1][j];
        if (sum <= 0.0)
            return;
    }
    for (int i = 1; i <= n; ++i) {
        s.St_Event[i] = 0;
        s.snow_hour_rain[i] = 0.0;
        for (int j = 1; j <= 6; ++j)
            s.HSNOW[i][j] = 0.0;
    }
}

} // namespace

void hourly_snow_step(model_state& s, double t_snow)
{
    int eb_melt = 0;
    if (s.snow_present && (!s.event_active || s.rain_state == 0)) {
        s.hmet_snow_call = 1;
        const bool icep = s.interception && s.ri_eff.size() >= s.num_cells;
        s.snow_present = snow_melt_step(s, t_snow, 1, icep ? s.ri_eff : s.rain_rate, eb_melt);
    }
    s.snow_eb_melt = eb_melt;
    if (s.surface_active == 0 && eb_melt)
        restart_surface(s);
    if (!s.eb_snow && s.rain_state == 0 && s.snow_present == 0)
        clear_rain_on_snow(s);
    s.hmet_snow_call = 0;
}
