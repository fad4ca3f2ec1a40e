// The stream-aquifer exchange of a groundwater step while the channel
// routing has not started: losing nodes give the aquifer what they hold,
// and a gaining reach starts the routing.
#include <cmath>
#include <cstdio>

#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/overland_steps.h"
#include "subsurface/groundwater.h"

namespace
{

bool lake_or_outside(const model_state& s, int link, int node)
{
    const int t = s.ltype[link];
    if ((t & 32) || (t & 64) || ((t & 128) && (t & (4 | 8 | 16))))
        return true;
    return node > s.nx[link];
}

// Losing nodes drain by their seepage, none below empty; the cells under
// them book the volumes. False after a negative area (reported).
bool drain_losing_nodes(model_state& s, double dt)
{
    for (int l = 1; l <= s.num_links; ++l) {
        const double dx = s.link_dx[l];
        for (int k = 1; k <= s.nx[l]; ++k) {
            double& vp = s.gst_Vp[k][l];
            double& q = s.qriv[k][l];
            vp = s.area[k][l] * dx;
            if (q < 0.0 && vp < -q * dx * dt) {
                const double want = -q * dx * dt;
                q = 0.0;
                for (int gc = 1; gc <= s.gst_ncells; ++gc)
                    for (int e = 1; e <= s.gst_ncellsingrid[gc]; ++e) {
                        if (s.gst_link[gc][e] != l || s.gst_node[gc][e] != k)
                            continue;
                        double& gq = s.gst_qriv[gc][e];
                        if (gq < 0.0)
                            gq *= vp / want;
                        q += s.gst_pct[gc][e] * gq;
                        if (s.chan_con_trans)
                            s.gst_qriv_vol[gc][e] += gq * dx * s.gst_pct[gc][e] * dt;
                    }
            }
            vp += dt * q * dx;
            double a = vp / dx;
            if (std::fabs(a) < 1e-15)
                a = 0.0;
            s.area[k][l] = a;
            if (a < 0.0) {
                std::printf(
                    "Error undating channels for groundwater influence without routing: node %d link %d \n",
                    k, l);
                error_set(err_stop);
                report_error(error_state);
                return false;
            }
        }
    }
    const bool lakes = s.chan_lakes && s.lake_mask.size() >= s.num_cells;
    for (int gc = 1; gc <= s.gst_ncells; ++gc)
        for (int e = 1; e <= s.gst_ncellsingrid[gc]; ++e) {
            const int l = s.gst_link[gc][e], k = s.gst_node[gc][e], c = s.gst_gnum[gc][e];
            if (lake_or_outside(s, l, k))
                continue;
            if (lakes && s.lake_mask[c] > 0)
                s.gw_chan_exchange[c] = 0.0;
            else if (s.gwbound[c] == 4)
                s.gw_chan_exchange[c] += dt * s.gst_qriv[gc][e] * s.link_dx[l] * s.gst_pct[gc][e];
        }
    return true;
}

void start_routing(model_state& s)
{
    const double now = s.current_time;
    s.gw_step_count = 1;
    s.chan_routing_active = 1;
    double dt = s.gw_dt;
    while (dt > 3600.0)
        dt /= 2.0;
    s.chan_dt = dt;
    s.chan_dt_days = dt / 86400.0;
    s.chan_next = now;
    s.chan_last = now - s.gw_dt_days;
    if (s.chan_con_trans) {
        s.chan_con_next = s.chan_outlet_next = s.chan_load_next = now;
        s.chan_con_last = s.chan_outlet_last = s.chan_load_last = now - s.gw_dt_days;
        if (s.contam_table_read) {
            s.chan_kin_next = now;
            s.chan_kin_last = now - s.gw_dt_days;
        }
        if (s.nutrients) {
            s.chan_qbn_next = s.chan_next;
            s.chan_qbn_last = s.chan_last;
        }
    }
}

} // namespace

int gw_idle_channel_exchange(model_state& s, double dt)
{
    const int state = stream_gw_exchange(s);
    if (run_stopped())
        return 0;
    // The lake beds' water of the step joins the lakes, between two moves
    // of the pending lake volumes into the totals.
    if (s.chan_lakes == 1 && s.lake_gw_exchange == 1) {
        book_lake_exchange(s);
        lake_bed_volumes(s, dt);
        book_lake_exchange(s);
    }
    if (state == 2) {
        if (!drain_losing_nodes(s, dt))
            return 0;
        ex_section(s, 1);
    } else if (state == 1) {
        for (int c = 1; c <= s.num_cells; ++c)
            s.gw_chan_exchange[c] = 0.0;
        start_routing(s);
    }
    return state;
}
