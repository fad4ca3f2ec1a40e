// The time-loop step of the saturated aquifer: at each groundwater time it
// books the channel and lake exchange of the last interval, solves the
// heads with the storage the soil scheme implies, couples the new water
// table to the unsaturated zone, keeps the totals, starts the pipe network
// when groundwater reaches it, and sets its clock.
#include <cmath>

#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/coupling_services.h"
#include "subsurface/groundwater.h"
#include "subsurface/infiltration.h"
#include "subsurface/soil_properties.h"
#include "subsurface/subsurface_steps.h"

namespace
{

// The heads a nested model's outer run gives at its boundary cells; the
// water they add or remove is valued with the aquifer porosity, as the
// run's groundwater volume is, so the balance of the summary closes.
void apply_nested_heads(model_state& s)
{
    xy_input& in = s.cards.xy_in;
    if (in.num_gw_points <= 0 && in.num_gw_interp_points <= 0)
        return;
    double gain = 0.0, loss = 0.0;
    apply_gw_xy_bdy(in, s.elevgw, s.gw_porosity, s.gridsize, gain, loss, s.current_time);
    s.xy_gw_gain_total += gain;
    s.xy_gw_gain_event += gain;
    s.xy_gw_loss_total += loss;
    s.xy_gw_loss_event += loss;
}

void flip_sweep_order(model_state& s)
{
    s.gw_sweep_order = s.gw_sweep_order == 1 ? 2 : 1;
}

// Channel and lake volumes the aquifer exchanged since the last step, into
// the event and run totals; the values stay for the solver.
void book_exchange(model_state& s, int n)
{
    if (!s.stream_loss || !s.gw_chan_exchange)
        return;
    const bool lakes = s.chan_lakes && s.lake_gw_exchange == 1 && s.lake_mask.size() >= n;
    for (int i = 1; i <= n; ++i) {
        const double v = s.gw_chan_exchange[i];
        if (s.gwbound[i] == 4) {
            if (v < 0.0) {
                s.chan_to_gw_event -= v;
                s.river_to_gw_total -= v;
            } else {
                s.gw_to_chan_event += v;
                s.gw_to_river_total += v;
            }
        }
        if (lakes && s.lake_mask[i] != 0) {
            const double l = s.lake_source[i];
            if (l < 0.0) {
                s.lake_to_gw_event -= l;
                s.lake_to_gw_total -= l;
            } else {
                s.gw_to_lake_event += l;
                s.gw_to_lake_total += l;
            }
        }
    }
}

// After a solve under Richards columns: the columns' sub-step is capped,
// their soil functions refreshed, and the recharge they handed over booked.
void richards_after_solve(model_state& s, int n, double area)
{
    for (int i = 1; i <= n; ++i) {
        if (s.dtr[i] > 1.0 / 360.0)
            s.dtr[i] = 1.0 / 360.0;
        if (s.richards_c_option == 1)
            brooks_corey_props(s, i);
        else
            havercamp_props(s, i);
        const double r = s.soil_recharge_gw[i];
        if (s.event_step != 1)
            s.richards_volume_event += r;
        s.unsat_down_flux_total += r / 100.0 * area;
        if (s.gwbound[i] != 2 && s.gwbound[i] != 5)
            s.gw_recharge_total += r / 100.0 * area;
        s.soil_recharge_gw[i] = 0.0;
    }
    const double g = s.gw_refit_exchange;
    if (g != 0.0) {
        s.gw_to_unsat_event -= g / 100.0 * area;
        s.sat_unsat_volume += g / 100.0 * area;
    }
}

void totals(model_state& s, int n, double dt, double area)
{
    for (int i = 1; i <= n; ++i) {
        s.gw_leakage_total += dt * s.gw_leakage[i] * area;
        s.gw_pumping_total += dt * s.gw_pumping[i] * area;
        if (s.gwbound[i] == 2)
            s.gw_boundary_flux_total += s.gw_flux[i];
        s.gw_flux[i] = 0.0;
        if (s.yes_exfil.size() >= i && s.yes_exfil[i] == 1)
            s.gw_exfil_any = 1;
    }
}

// Groundwater at the surface between events starts the surface processes
// and, with them, the overland constituent clocks and the soil accounting.
void start_surface(model_state& s)
{
    if (s.gw_exfil_any != 1 || s.event_active != 0 || s.surface_active != 0)
        return;
    const double now = s.current_time;
    s.surface_active = 1;
    s.ov_dt = s.inf_dt = s.timestep_base;
    s.ov_dt_days = s.inf_dt_days = s.timestep_base / 86400.0;
    s.ov_next = s.inf_next = now + s.inf_dt_days;
    s.ov_last = s.inf_last = now;
    if (s.ov_con_trans) {
        s.contam_next = s.precip_load_next = s.inf_next;
        s.contam_last = s.precip_load_last = now;
        s.contam_dt = s.timestep_base;
        s.contam_dt_days = s.timestep_base / 86400.0;
        if (s.chan_explicit) {
            s.ov_chan_exch_next = s.inf_next;
            s.ov_chan_exch_last = now;
        } else {
            s.outlet_con_next = s.inf_next;
            s.outlet_con_last = now;
        }
        if (s.contam_table_read) {
            s.ov_loss_last = s.soil_exch_last = s.ov_last;
            s.ov_loss_next = s.soil_exch_next = s.ov_next;
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
}

// Groundwater at the surface starts the pipe network when any of its
// superlinks has a surface inlet.
void start_pipe_network(model_state& s)
{
    if (!s.storm_sewer || s.gw_surface_flag != 0)
        return;
    int inlets = 0;
    const int links = s.num_sjunc < s.num_slink ? s.num_sjunc : s.num_slink;
    for (int k = 1; k <= links; ++k)
        for (int j = 1; j <= s.nnodes[k]; ++j)
            if (s.inlet_type[k][j] < 777)
                inlets += s.inlet_type[k][j];
    if (inlets > 0) {
        s.gw_surface_flag = 1;
        s.superlink_next_time = s.current_time + s.ov_dt_days;
        s.superlink_last_time = s.current_time;
    }
}

} // namespace

void groundwater_step(model_state& s)
{
    if (s.gw_simulation != 1 || !process_due(s, s.gw_next))
        return;
    const int n = s.num_cells;
    const double dt = process_step_seconds(s, s.gw_next, s.gw_last);
    const double area = s.gridsize * s.gridsize;
    if (!groundwater_solver_alloc(s, n))
        return;
    s.gw_exfil_any = 0;
    apply_nested_heads(s);
    book_exchange(s, n);
    if (s.inf_richards) {
        s.gw_inputs_total += groundwater_solve(s, n, dt);
        flip_sweep_order(s);
        if (run_stopped())
            return;
        richards_after_solve(s, n, area);
    } else if (s.soil_water_acct) {
        gw_storage_from_column(s);
        s.gw_inputs_total += groundwater_solve(s, n, dt);
        flip_sweep_order(s);
        if (run_stopped())
            return;
        s.gw_exfil_any = 0;
        if (!gw_column_update(s))
            return;
    }
    totals(s, n, dt, area);
    start_surface(s);
    start_pipe_network(s);
    if (s.chan_explicit && (s.stream_loss || s.lake_gw_exchange) && s.gw_step_count == 0) {
        gw_idle_channel_exchange(s, dt);
        if (run_stopped())
            return;
    }
    if (s.stream_loss && s.av_qriv)
        for (int l = 1; l <= s.num_links; ++l)
            for (int k = 1; k <= s.og_nx1[l]; ++k)
                s.av_qriv[k][l] += s.qriv[k][l];
    s.gw_last = s.current_time;
    s.gw_next = next_on_phase(s, s.gw_next, s.gw_dt_days);
}
