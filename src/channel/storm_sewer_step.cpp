// The pipe network in the time loop: at each pipe-network time it runs the
// solver over the time since the last update, books what the network took
// from and gave back to the surface and the channels, and wakes the
// overland or channel routing when the network spills or discharges.
#include <cmath>
#include <cstdio>
#include <new>

#include "channel/channel_steps.h"
#include "channel/superlink_solver.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

// Spilling onto a dry watershed starts the overland processes now.
void wake_surface(model_state& s, double now)
{
    s.surface_active = 1;
    s.ov_next = now + s.ov_dt_days;
    s.ov_last = now;
    // Redistribution carries on from the soil state the spill finds.
    if (s.inf_redist)
        s.redist_active = 1;
    if (s.ov_con_trans) {
        s.contam_last = s.precip_load_last = s.ov_last;
        s.contam_next = s.precip_load_next = s.ov_next;
        if (s.chan_explicit) {
            s.ov_chan_exch_last = s.ov_last;
            s.ov_chan_exch_next = s.ov_next;
        } else {
            s.outlet_con_last = s.ov_last;
            s.outlet_con_next = s.ov_next;
        }
        if (s.contam_table_read) {
            s.ov_loss_last = s.soil_exch_last = s.ov_last;
            s.ov_loss_next = s.soil_exch_next = s.ov_next;
        }
    }
}

double chan_outlet_volume(const model_state& s)
{
    double v = 0.0;
    for (int j = 1; j <= s.num_sjunc; ++j)
        v += s.sjunc_to_chan_vol[j];
    return v;
}

// Volumes released onto the surface, and with HIGH_HEAD_RELEASE those the
// outlets passed to channels during this call (the outlets keep adding to
// their volume until the channel step takes it, so only this call's part is
// booked here).
void book_outflows(model_state& s, double to_chan)
{
    if (s.high_head_release) {
        s.superlink_to_chan_event += to_chan;
        s.superlink_to_chan_total += to_chan;
    }
    for (int j = 1; j <= s.num_sjunc; ++j) {
        if (s.high_head_release || s.sjunc_inlet_type[j] == 888) {
            s.superlink_to_ov_event += s.superlink_sjunc_outflow[j];
            s.superlink_to_ov_total += s.superlink_sjunc_outflow[j];
        }
        s.superlink_sjunc_outflow[j] = 0.0;
    }
}

// The suspended sediment of every class goes into the network with the
// water the inlets took from each cell since the last network time, in the
// share of the cell's water before the call that they took (at most all
// of it).
void sediment_into_pipes(model_state& s)
{
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    sediment_table& t = *s.ov_sed;
    for (int c = 1; c <= n; ++c) {
        const double v = s.cell_superlink_vol[c];
        if (v > 1e-16) {
            s.superlink_sed_water_event += v;
            const double water = area * s.superlink_prev_depth[c];
            const double share = water > v ? v / water : 1.0;
            for (int k = 1; k <= s.sed.num_sed; ++k) {
                double& sus = t.cell_tally[c][k].suspended;
                const double V = sus > 0.0 ? share * sus : 0.0;
                s.ov_superlink_sed[k][c] += V;
                s.superlink_sed_in_event[k] += V;
                s.superlink_sed_in_total[k] += V;
                sus -= V;
            }
        }
        s.cell_superlink_vol[c] = 0.0;
    }
}

} // namespace

void storm_sewer_step(model_state& s)
{
    if (!s.storm_sewer)
        return;
    const int n = s.num_cells;
    if (s.superlink_prev_depth.size() != n) {
        try {
            s.superlink_prev_depth.assign(n, 0.0);
            if (s.sed.soil_erosion) {
                // The sediment taken into the network, sized for the run.
                const int classes = s.sed.num_sed;
                s.ov_superlink_sed.assign(classes, n, 0.0);
                for (dvec* v : {&s.superlink_sed_in_event, &s.superlink_sed_in_total})
                    v->assign(classes, 0.0);
            }
        } catch (const std::bad_alloc&) {
            std::printf("Error allocating memory for variable %s\n", "superlink_prev_depth");
            error_set(err_stop);
            return;
        }
    }
    const double now = s.current_time;
    if (s.superlink_call_count > 1 && std::fabs(s.superlink_next_time - now) < s.time_tol)
        s.superlink_next_time = now;
    if (!s.gw_surface_flag || !process_due(s, s.superlink_next_time))
        return;

    const double dt = (now - s.superlink_last_time) * 86400.0;
    if (s.tile_drains == 1) {
        s.tile_exchange_status = 0;
        if (s.cards.water_table_given)
            s.tile_exchange_status = tile_gw_exchange(s, dt);
        if (s.tile_exchange_status == 1) {
            for (int c = 1; c <= n; ++c) {
                const double v = dt * s.Q_tile_grid[c];
                s.vol_tile_grid[c] += v;
                s.gw_to_tile_event += v;
                s.gw_to_tile_total += v;
                s.Q_tile_grid[c] = 0.0;
            }
        }
    }
    for (int l = 1; l <= s.num_slink; ++l)
        for (int k = 1; k <= s.superlink_cnodes[l] + 1; ++k)
            if (s.slink_node_depth[l][k] < 1e-4)
                s.slink_node_depth[l][k] = 1e-4;
    for (int c = 1; c <= n; ++c)
        s.superlink_prev_depth[c] = s.ov_depth[c];

    s.superlink_surcharge_flag = 0;
    s.superlink_chan_flag = 0;
    double captured = 0.0;
    const double chan_before = chan_outlet_volume(s);
    const int status = superlink_solve(s, s.superlink_call_count, dt, captured);
    s.superlink_call_count += 1;
    if (status != 0) {
        // The solver printed why; the run stops at the next check.
        error_set(err_stop);
        return;
    }
    s.superlink_ov_in_event += captured;
    s.superlink_ov_in_total += captured;
    book_outflows(s, chan_outlet_volume(s) - chan_before);

    s.superlink_last_time = now;
    s.superlink_next_time = next_on_phase(s, s.superlink_next_time, s.superlink_interval);

    if (s.superlink_surcharge_flag == 1 && !s.surface_active)
        wake_surface(s, now);
    if (s.superlink_chan_flag == 1 && !s.chan_routing_active) {
        s.chan_routing_active = 1;
        s.chan_last = now;
        s.chan_next = now + s.chan_dt_days;
        s.chan_dt_days = s.ov_dt_days;
    }
    if (s.long_term && !s.surface_active && !s.ov_flowing && !s.raining &&
        (s.rain_vol == 0.0 || 0.001 * s.rain_vol > s.superlink_volume_remaining) && !s.tile_drains) {
        s.gw_surface_flag = 0;
        s.superlink_interval = s.ov_dt_days;
        s.superlink_next_time = s.ov_next;
    }
    if (s.sed.soil_erosion && s.ov_sed)
        sediment_into_pipes(s);
}
