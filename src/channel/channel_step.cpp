#include <algorithm>
#include <cmath>

#include "channel/chan_routing.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/lake_files.h"
#include "overland/overland_steps.h"
#include "quality/chan_sediment.h"

namespace
{

// Seepage and lake-bed volumes of the channel time into the exchange totals
// when no aquifer is simulated to take them.
void book_seepage(model_state& s)
{
    const int n = s.num_cells;
    if (s.gw_chan_exchange.size() >= n)
        for (int i = 1; i <= n; ++i) {
            double& v = s.gw_chan_exchange[i];
            if (v < 0.0) {
                s.chan_to_gw_event -= v;
                s.river_to_gw_total -= v;
            } else {
                s.gw_to_chan_event += v;
                s.gw_to_river_total += v;
            }
            v = 0.0;
        }
    if (!s.chan_lakes || !s.lake_gw_exchange || s.lake_source.size() < n || s.lake_mask.size() < n)
        return;
    for (int i = 1; i <= n; ++i) {
        if (s.lake_mask[i] <= 0)
            continue;
        double& v = s.lake_source[i];
        if (v < 0.0) {
            s.lake_to_gw_event -= v;
            s.lake_to_gw_total -= v;
        } else {
            s.gw_to_lake_event += v;
            s.gw_to_lake_total += v;
        }
        v = 0.0;
    }
}

// The constituent mass the point inputs brought to their routed nodes over
// the channel time (discharge x concentration x time); a withdrawal takes
// the node's own concentration.
void chan_point_mass(model_state& s, double dt)
{
    if (!s.chan_point_on || s.chan_point_q.empty() || s.chan_point_conc.empty())
        return;
    const int nc = std::min({s.num_constituents, s.chan_point_mass_flux.count, s.chan_conc.count,
                             s.chan_point_conc.rows()});
    for (int k = 1; k <= s.chan_point_count; ++k) {
        const int i = s.chan_point_address[k];
        const int l = i / s.node_dim, n = i % s.node_dim;
        if (!routed_link(s, l) || n < 1 || n > s.nx[l])
            continue;
        const double q = s.chan_point_q[i];
        for (int c = 1; c <= nc; ++c)
            s.chan_point_mass_flux[c][i] += q * (q >= 0.0 ? s.chan_point_conc[c][i] : s.chan_conc[c][i]) * dt;
    }
}

} // namespace

void channel_step(model_state& s)
{
    if (!(process_due(s, s.chan_next) && (s.chan_explicit || s.chan_mesh)))
        return;
    const double since = s.current_time - s.chan_last;
    const double dt = since > 1e-6 ? since * 86400.0 : s.chan_dt;
    const int L = s.num_links;

    for (int l = 1; l <= L; ++l)
        for (int n = 1; n <= s.nx[l]; ++n)
            s.area_old[n][l] = s.area[n][l];

    if (s.ov_wet || s.overbank_flow) {
        double bc_in = 0.0, bc_out = 0.0;
        s.lateral_in_event += overland_channel_exchange(s, dt, bc_in, bc_out);
        s.head_bc_in_total += bc_in;
        s.head_bc_out_total += bc_out;
        s.chan_routing_active = 1;
    }
    // The lumped soil models feed the channel at every channel time.
    if (s.sacramento || s.conceptual_gw) {
        const double lumped = lumped_channel_inflow(s, dt);
        s.lateral_in_event += lumped;
        if (lumped > 0.0)
            s.chan_routing_active = 1;
    }
    if (s.chan_lakes) {
        s.chan_routing_active = 1;
        book_lake_exchange(s);
        lake_extent_fork(s);
        if (run_stopped())
            return;
        if (s.lake_flood_init) {
            for (int c = 1; c <= s.num_cells && c <= s.lake_mask.size(); ++c)
                if (s.lake_mask[c] > 0)
                    s.new_flooded_grid[c] = 1;
            s.lake_flood_init = 0;
        }
        book_lake_exchange(s);
    }

    if (s.chan_explicit && s.chan_routing_active) {
        ++s.chan_route_calls;
        route_volumes v;
        s.superlink_chan_dt = dt; // the pipe outlets spread their volume over it
        s.stream_gw_status = ex_flow_route(s, dt, v);
        s.chan_outflow_vol = v.outlet;
        s.lateral_in_event += v.lateral_in;
        s.lateral_out_event += v.lateral_out;
        s.lateral_inflow_total = s.lateral_in_event + s.lateral_out_event;
        s.head_bc_in_total += v.bc_in;
        s.head_bc_out_total += v.bc_out;
        s.chan_point_total += v.point_in;
        s.stream_point_sink_total += v.point_sink;
        if (L >= 1 && s.nx[L] >= 1)
            s.qout = s.qp[s.nx[L]][L];
        if (s.storm_sewer)
            superlink_chan_totals(s);
        // The FIRST_ORDER_CHAN_Q inflow at the head of every headwater link
        // enters the balance with the stream point sources.
        for (int l = 1; l <= L; ++l)
            if (s.ndep[l] == 0 && routed_link(s, l))
                s.chan_point_total += s.first_order_chan_q * dt;
    } else {
        s.chan_outflow_vol = 0.0;
    }

    for (int l = 1; l <= L; ++l) {
        if ((s.ltype[l] & 8) && (s.ltype[l] & 2) && s.bplink[l] >= 1 && !s.max_yp.empty()) {
            const int row = s.bplink[l];
#pragma omp parallel for schedule(static) if (s.nx[l] >= 4096)
            for (int n = 1; n <= s.nx[l]; ++n)
                s.max_yp[row][n] = std::max(s.max_yp[row][n], s.yp[n][l]);
        }
    }
    book_lake_exchange(s);
    // Point-input volumes are booked with the routing above, sub-step by
    // sub-step, as the node continuity adds them.
    if (s.chan_con_trans && s.chan_explicit && s.chan_routing_active)
        chan_point_mass(s, dt);
    if ((s.water_table || s.stream_loss || s.lake_gw_exchange == 1) && !s.gw_simulation)
        book_seepage(s);

    if (s.flood_stream && !s.yp_max_flood.empty())
        for (int l = 1; l <= L; ++l)
            for (int n = 1; n <= s.nx1[l]; ++n)
                s.yp_max_flood[n][l] = std::max(s.yp_max_flood[n][l], s.yp[n][l]);

    if (s.chan_explicit) {
        s.outflow_vol += s.chan_outflow_vol;
        s.discharge_total += s.chan_outflow_vol;
    } else {
        s.outflow_vol += dt * s.qout;
        s.discharge_total += dt * s.qout;
    }
    // The channel cells' sediment enters the nodes, then sand moves along
    // the erodible links on this step's depths and discharges.
    if (s.chan_sed_on) {
        chan_lateral_sediment(s, dt);
        if (run_stopped())
            return;
        // The run totals grow with what the step adds to the event's.
        const double from_ov = s.chan_sand_from_ov_event;
        const double sand_out = s.chan_sand_out_event;
        chan_sed_transport(s, dt);
        if (run_stopped())
            return;
        s.chan_sand_from_ov_total += s.chan_sand_from_ov_event - from_ov;
        s.chan_sand_out_total += s.chan_sand_out_event - sand_out;
        chan_constituent_transport(s, dt);
        const double wash_out = s.chan_wash_outlet.empty() ? 0.0 : s.chan_wash_outlet[0];
        s.chan_washload_out_total += dt * wash_out;
        s.chan_washload_out_event += dt * wash_out;
        s.chan_washload_peak_event = std::max(s.chan_washload_peak_event, wash_out);
        for (int l = 1; l <= L && !s.qp_vol_sed.empty(); ++l)
            for (int n = 1; n <= s.nx[l]; ++n)
                s.qp_vol_sed[n][l] = 0.0;
    }

    for (int l = 1; l <= L; ++l)
        for (int n = 1; n <= s.nx[l]; ++n)
            s.qlat[n][l] = 0.0;

    s.chan_last = s.current_time;
    s.chan_next = next_on_phase(s, s.chan_next, s.chan_dt_days);
    ++s.step_tally;
    longterm_channel_clock(s);
}
