#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"

namespace
{

// An emptied node keeps no dissolved mass. At the first event the run has
// not started yet: what the node held leaves the run's initial masses. At a
// later event it is booked as removed from the run, so the run's channel
// and global balances still close; the event itself starts from the
// emptied channel. With attached constituents the node's total of both
// phases also holds an attached share, which the global balance books the
// same way.
void clear_node_constituents(model_state& s, int l, int n, bool first)
{
    const int node = s.node_dim * l + n;
    const int c = std::min(s.num_constituents, s.chan_node_mass.count);
    for (int m = 1; m <= c && node <= s.chan_node_mass.width; ++m) {
        const double kg = s.chan_node_mass[m][node] / 1000.0;
        double attached = 0.0;
        if (s.sediment_contam && m <= s.chan_tot_node_mass.count && node <= s.chan_tot_node_mass.width)
            attached = std::max(s.chan_tot_node_mass[m][node] / 1000.0 - kg, 0.0);
        if (first) {
            if (m <= s.chan_initial_mass_total.cap)
                s.chan_initial_mass_total[m] -= kg;
            if (m <= s.GLOBAL_MASS_INIT.cap)
                s.GLOBAL_MASS_INIT[m] -= kg + attached;
        } else {
            if (m <= s.chan_clip_mass_total.size())
                s.chan_clip_mass_total[m] += kg;
            if (m <= s.chan_attached_clip_total.size())
                s.chan_attached_clip_total[m] += attached;
        }
    }
    for (row_array<double>* rows : {&s.chan_conc, &s.chan_node_mass, &s.chan_tot_node_mass})
        for (int m = 1; m <= rows->count; ++m)
            if (node <= rows->width)
                (*rows)[m][node] = 0.0;
}

// The event's initial dissolved masses in the routed nodes and in the
// lakes (kg).
void event_constituent_masses(model_state& s)
{
    const int c =
        std::min({s.num_constituents, s.chan_initial_dissolved_event.size(), s.chan_node_mass.count});
    for_each_routed_node(s, s.chan_lakes != 0, [&](int l, int n, double) {
        const int node = s.node_dim * l + n;
        for (int m = 1; m <= c && node <= s.chan_node_mass.width; ++m)
            s.chan_initial_dissolved_event[m] += s.chan_node_mass[m][node] / 1000.0;
    });
    if (!s.chan_lakes)
        return;
    const int lakes = std::min(s.num_lakes, s.lake_mass.width);
    for (int m = 1; m <= c && m <= s.lake_initial_dissolved_event.size(); ++m) {
        const double* mass = row_array_get(s.lake_mass, m);
        for (int k = 1; mass && k <= lakes; ++k)
            s.lake_initial_dissolved_event[m] += mass[k] / 1000.0;
    }
}

} // namespace

void channel_event_start(model_state& s)
{
    if (!s.chan_explicit || s.num_links < 1 || s.area.empty())
        return;
    const bool carried = s.inf_richards || s.gw_simulation || s.soil_water_acct;
    const bool first = s.chan_events_started++ == 0;
    // The first event keeps the storage a channel hotstart gave.
    const bool hotstart_kept = first && s.chan_hotstart_read;
    if ((!carried || first) && !hotstart_kept) {
        for (int l = 1; l <= s.num_links; ++l) {
            for (int n = 1; n <= s.nx[l]; ++n) {
                s.qp[n][l] = 0.0;
                s.yp[n][l] = s.bel[n][l];
                s.chan_depth[n][l] = 0.0;
                s.qlat[n][l] = 0.0;
                if (s.chan_con_trans)
                    clear_node_constituents(s, l, n, first);
            }
        }
        if (s.head_bound)
            stream_head_boundary(s);
    }
    ex_section(s, 2);
    if (s.chan_lakes) {
        s.lake_initial_volume = 0.0;
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_initial_volume += s.lake_volume[k];
    }
    if (s.chan_con_trans)
        event_constituent_masses(s);
    // The event's initial channel volume; a node whose section gives no
    // area is named (the routing stops on it at its first sub-step).
    s.init_chan_vol = 0.0;
    for_each_routed_node(s, false, [&s](int l, int n, double v) {
        s.init_chan_vol += v;
        if (std::isnan(v))
            std::printf("Negative Area Computed At Startup for [Node][Link]: [%d][%d] ltype: %d\n", n, l,
                        s.ltype[l]);
    });
}
