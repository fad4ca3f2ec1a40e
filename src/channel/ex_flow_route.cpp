#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/coupling_services.h"

void chan_route_work_reset(model_state& s)
{
    chan_route_work& w = s.route_work;
    w = chan_route_work();
    w.links = s.link_dim;
    w.nodes = s.node_dim;
    w.cells = s.num_cells;
    if (s.node_dim < 1 || s.link_dim < 1)
        return;
    w.area_old.assign(s.node_dim, s.link_dim, 0.0);
    w.area_iter.assign(s.node_dim, s.link_dim, 0.0);
    w.qp_old.assign(s.node_dim, s.link_dim, 0.0);
    w.qp_last.assign(s.node_dim, s.link_dim, 0.0);
    w.qp_iter.assign(s.node_dim, s.link_dim, 0.0);
    w.qlat_old.assign(s.node_dim + 1, s.link_dim + 1, 0.0);
    if (s.stream_loss)
        w.qriv_old.assign(s.node_dim, s.link_dim, 0.0);
    if (s.chan_lakes)
        w.status_node.assign(s.node_dim, s.link_dim, 0);
    if (s.num_cells > 0)
        w.ov_depth_saved.assign(s.num_cells, 0.0);
}

namespace
{

template <class F> void each_routed(const model_state& s, F&& f)
{
    for (int l = 1; l <= s.num_links; ++l) {
        if (!routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n)
            f(l, n);
    }
}

bool boundary_cell(const model_state& s, int c)
{
    if (!s.ov_boundary || c > s.boundary_type.size())
        return false;
    const int b = s.boundary_type[c];
    return b == 2 || b == 3 || b == 9;
}

// Withdraws the overbank water that the exchange delivered in advance for
// the rest of the channel time when the channel no longer stands above the
// bank and the cell's surface. The constituents go with the water only as
// far as it went.
void overbank_reevaluate(model_state& s, double remaining, route_volumes& out)
{
    for (int l = 1; l <= s.num_links; ++l)
        for (int n = 1; n <= s.nx[l]; ++n)
            s.qlat[n][l] = 0.0;
    const double cell_area = s.gridsize * s.gridsize;
    for (int m = s.gst_ncells; m >= 1; --m) {
        for (int e = s.gst_ncellsingrid[m]; e >= 1; --e) {
            const int l = s.gst_link[m][e], n = s.gst_node[m][e], c = s.gst_gnum[m][e];
            if (l < 1 || l > s.num_links || !routed_link(s, l))
                continue;
            if (n > s.nx[l]) {
                if (n <= s.qlat.rows())
                    s.qlat[n][l] = 0.0;
                continue;
            }
            double& gq = s.gst_qlat[m][e];
            const double ws = s.ov_depth[c] + s.ground_elev[c];
            if (gq < -1e-16 && (s.yp[n][l] < s.bel[n][l] + s.bankfull_dep[n][l] || s.yp[n][l] < ws)) {
                if (boundary_cell(s, c)) {
                    out.bc_out += -gq * remaining;
                } else {
                    s.ov_depth[c] += gq * remaining / cell_area;
                }
                if (s.con_any) {
                    if (c <= s.con_chan_work.size())
                        s.con_chan_work[c] -= gq * remaining;
                    if (m <= s.gst_Vlat.rows() && e <= s.gst_Vlat.cols())
                        s.gst_Vlat[m][e] -= gq * remaining;
                }
                gq = 0.0;
                if (s.ov_depth[c] < -1e-16) {
                    // Booked as overland clean-up so the balance shows it.
                    s.ov_cleanup_volume += -s.ov_depth[c] * cell_area;
                    s.ov_depth[c] = 0.0;
                }
            }
            s.qlat[n][l] += gq / s.link_dx[l];
        }
    }
}

// The seepage of every routed node back to its value at the sub-step start:
// each continuity pass limits a losing node again from there.
void restore_seepage(model_state& s)
{
    const chan_route_work& w = s.route_work;
    each_routed(s, [&](int l, int n) { s.qriv[n][l] = w.qriv_old[n][l]; });
}

// The seepage the accepted sub-step moved, per grid-stream entry in the
// proportion its node's seepage was limited, into the cells' exchange
// volumes (positive from the aquifer into the channel).
void seepage_volumes(model_state& s, double dt_sub)
{
    const chan_route_work& w = s.route_work;
    for (int m = s.gst_ncells; m >= 1; --m) {
        for (int e = s.gst_ncellsingrid[m]; e >= 1; --e) {
            const int l = s.gst_link[m][e], n = s.gst_node[m][e], c = s.gst_gnum[m][e];
            if (l < 1 || l > s.num_links || !routed_link(s, l))
                continue;
            double& gq = s.gst_qriv[m][e];
            if (n > s.nx[l]) {
                gq = 0.0;
                continue;
            }
            const double old = w.qriv_old[n][l];
            gq = std::fabs(old) < 1e-16 ? 0.0 : gq * s.qriv[n][l] / old;
            const double v = s.link_dx[l] * gq * dt_sub * s.gst_pct[m][e];
            s.gw_chan_exchange[c] += v;
            if (s.chan_con_trans)
                s.gst_qriv_vol[m][e] += v;
        }
    }
}

} // namespace

int ex_flow_route(model_state& s, double dt, route_volumes& out)
{
    out = route_volumes();
    chan_route_work& w = s.route_work;
    if (w.links != s.link_dim || w.nodes != s.node_dim || w.cells != s.num_cells)
        chan_route_work_reset(s);
    if (s.overbank_flow)
        w.overbank_mode = 1;
    const int passes = (s.chan_lakes || s.chan_con_trans || s.chan_sed_on || w.overbank_mode) ? 2 : 1;
    if (s.chan_lakes && capture_lake_nodes(s) < 0)
        return -1;
    if (dt <= 1e-16)
        return 0;

    const xsec_arrays state_x = state_xsec_arrays(s);
    xsec_arrays iter_x = state_x;
    iter_x.area = &w.area_iter;
    const int L = s.num_links;
    const double max_c = s.max_courant_number;

    // The stream boundary points' discharges hold for the whole routing call.
    if (!s.xy_stream_q.empty())
        apply_st_xy_bdy(s.cards.xy_in, s.xy_stream_q, s.current_time);
    const chan_point_rates points = chan_point_inflow_rates(s);
    const bool seepage = s.stream_loss != 0;
    // The lake beds refresh their rates at every sub-step too, with or
    // without stream loss.
    const bool exchange = seepage || (s.chan_lakes && s.lake_gw_exchange == 1);
    int status = 0;
    double remaining = dt;
    double dt_sub = dt;
    while (remaining > 1e-16) {
        double C = 0.0;
        for (int l = 1; l <= L; ++l) {
            if (!routed_link(s, l))
                continue;
            for (int n = 1; n <= s.nx[l]; ++n) {
                const double a = s.area[n][l];
                if (std::isnan(a)) {
                    std::printf(
                        "In ex_flow_route 1:  cross-sectional area is not a number at link %d node %d\n", l,
                        n);
                    s.area[n][l] = 0.0;
                    s.yp[n][l] = s.bel[n][l];
                    chan_stop();
                    return -1;
                }
                if (s.yp[n][l] < s.bel[n][l]) {
                    std::printf("in ex_flow_route 2, negative depth at link %d node %d\n", l, n);
                    std::printf("program stopped.\n");
                    chan_stop();
                    return -1;
                }
                if (a > 1e-16)
                    C = std::max(C, dt_sub / s.link_dx[l] * s.qp[n][l] / a);
            }
        }
        if (C >= max_c) {
            dt_sub /= static_cast<int>(C / max_c) + 1;
            if (dt_sub < 0.001)
                dt_sub = 0.0015;
        }
        // Seepage of the sub-step (and the lake-bed rates) from the stages
        // at its start.
        if (exchange) {
            status = stream_gw_exchange(s);
            if (run_stopped())
                return -1;
        }
        each_routed(s, [&](int l, int n) {
            w.area_old[n][l] = s.area[n][l];
            w.qp_old[n][l] = s.qp[n][l];
            if (seepage)
                w.qriv_old[n][l] = s.qriv[n][l];
            if (w.substeps == 0) {
                w.qp_last[n][l] = s.qp[n][l];
                w.qp_iter[n][l] = s.qp[n][l];
            }
            if (w.overbank_mode)
                w.qlat_old[n][l] = s.qlat[n][l];
        });
        if (w.overbank_mode)
            for (int c = 1; c <= s.num_cells; ++c)
                w.ov_depth_saved[c] = s.ov_depth[c];

        double lat_in = 0.0, lat_out = 0.0;
        for (;;) {
            if (dt_sub < 0.001) {
                std::printf("The channel routing time step is getting really small\n");
                std::printf("less than 1/1000 of a second\n");
                std::printf("Reduce the model time step and/or MAX_COURANT_NUMBER (default=0.04) \n");
                std::printf("Program stopped.\n");
                chan_stop();
                return -1;
            }
            remaining -= dt_sub;
            if (remaining <= 0.001) {
                dt_sub += remaining;
                remaining = 0.0;
            }
            double E = 1.0;
            bool reject = false;
            for (int p = 0; E > 0.01 && p < passes; ++p) {
                if (p > 0)
                    ex_section(state_x, 1);
                if (chan_link_flows(s, w.qp_last, dt_sub) < 0)
                    return -1;
                each_routed(s, [&](int l, int n) { s.area[n][l] = w.area_iter[n][l] = w.area_old[n][l]; });
                if (seepage)
                    restore_seepage(s);
                ex_section(iter_x, 1);
                double scratch = 0.0;
                chan_node_continuity(s, w.qp_last, w.area_iter, dt_sub, scratch);
                each_routed(s, [&](int l, int n) {
                    if (w.area_iter[n][l] < 0.0)
                        w.area_iter[n][l] = 0.0;
                });
                ex_section(iter_x, 1);
                if (chan_link_flows(s, w.qp_iter, dt_sub) < 0)
                    return -1;
                for (int l = 1; l <= L; ++l) {
                    const int type = s.ltype[l];
                    if ((type & 32) || ((type & 128) && (type & (4 | 8 | 16))))
                        continue;
                    for (int n = 1; n <= s.nx[l]; ++n)
                        s.qp[n][l] = (w.qp_last[n][l] + w.qp_iter[n][l]) / 2.0;
                }
                if (seepage)
                    restore_seepage(s);
                lat_out = 0.0;
                lat_in = chan_node_continuity(s, s.qp, s.area, dt_sub, lat_out);
                E = 0.0;
                each_routed(s, [&](int l, int n) {
                    E = std::max(E, std::fabs(s.area[n][l] - w.area_iter[n][l]));
                    if (s.area[n][l] < -1e-8)
                        reject = true;
                });
                if (reject)
                    break;
            }
            if (run_stopped())
                return -1;
            if (!reject)
                break;
            remaining += dt_sub;
            each_routed(s, [&](int l, int n) {
                s.area[n][l] = w.area_old[n][l];
                s.qp[n][l] = w.qp_last[n][l] = w.qp_iter[n][l] = w.qp_old[n][l];
                if (w.overbank_mode)
                    s.qlat[n][l] = w.qlat_old[n][l];
            });
            if (seepage)
                restore_seepage(s);
            dt_sub /= 2.0;
            ex_section(state_x, 1);
            if (w.overbank_mode)
                for (int c = 1; c <= s.num_cells; ++c)
                    s.ov_depth[c] = w.ov_depth_saved[c];
        }
        ++w.substeps;
        out.point_in += dt_sub * points.in;
        out.point_sink += dt_sub * points.out;
        out.lateral_in += lat_in;
        out.lateral_out += lat_out;
        each_routed(s, [&](int l, int n) {
            if (s.area[n][l] < 0.0)
                s.area[n][l] = 0.0;
        });
        ex_section(state_x, 1);
        if (s.chan_lakes)
            lake_substep_volumes(s, dt_sub);
        if (seepage)
            seepage_volumes(s, dt_sub);
        if (w.overbank_mode && remaining > 1e-16)
            overbank_reevaluate(s, remaining, out);
        // The water that left each node downstream, for the dissolved
        // routing (structure and lake links too: their faces carry it).
        if (s.chan_con_trans && !s.qp_vol.empty())
            for (int l = 1; l <= L; ++l)
                for (int n = 1; n <= s.nx[l]; ++n)
                    s.qp_vol[n][l] += dt_sub * s.qp[n][l];
        if (s.chan_sed_on && !s.qp_vol_sed.empty()) {
            each_routed(s, [&](int l, int n) { s.qp_vol_sed[n][l] += dt_sub * s.qp[n][l]; });
            // Structures pass wash load too, with the discharge of their
            // two nodes.
            for (int l = 1; l <= L; ++l)
                if (s.ltype[l] & 64)
                    for (int n = 1; n <= s.nx[l]; ++n)
                        s.qp_vol_sed[n][l] += dt_sub * s.qp[n][l];
        }
        if (L >= 1 && s.nx[L] >= 1)
            out.outlet += dt_sub * s.qp[s.nx[L]][L];
        if (s.optimize && !s.optimize_sed) {
            for (int k = 1; k <= s.num_hyd_locations && k <= s.opt_volume.size(); ++k)
                s.opt_volume[k] += dt_sub * s.qp[s.hnode[k]][s.hlink[k]];
        }
    }
    return status;
}
