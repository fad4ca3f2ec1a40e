#include <algorithm>
#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "channel/hydraulic_structures.h"
#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/time_series.h"

int stream_head_boundary(model_state& s)
{
    if (s.bound_ts_given && s.bound_series)
        s.bound_depth = ts_value_at(s.current_time, s.bound_series);
    const int L = s.num_links;
    if (L < 1 || s.nx[L] < 1 || s.yp.empty())
        return 0;
    const int n = s.nx[L];
    s.yp[n][L] = s.bel[n][L] + s.bound_depth;
    s.chan_depth[n][L] = s.bound_depth;
    return 0;
}

namespace
{

// POINTSOURCE series on lake links belong in the lakes' point-source totals,
// which the lake routing does not keep yet: such a network stops the run
// rather than dropping the series' water.
bool refuse_lake_point_sources(const model_state& s)
{
    if (s.stream_pointsource.empty())
        return false;
    for (int l = 1; l <= s.num_links; ++l) {
        if ((s.ltype[l] & 32) && s.stream_pointsource[1][l]) {
            std::printf(
                "Point sources on channel lakes (POINTSOURCE on lake link %d) are not available yet.\n", l);
            chan_stop();
            return true;
        }
    }
    return false;
}

// Each routed node's dissolved mass is its water volume times its
// concentration (a dry node holds neither); the masses join the run's
// initial channel mass.
void initial_channel_masses(model_state& s)
{
    const int c = std::min({s.num_constituents, s.chan_conc.count, s.chan_node_mass.count});
    for_each_routed_node(s, false, [&](int l, int n, double volume) {
        const int node = s.node_dim * l + n;
        if (node > s.chan_conc.width || node > s.chan_node_mass.width)
            return;
        const bool wet = s.area[n][l] > 1e-16;
        for (int m = 1; m <= c; ++m) {
            double mass = 0.0;
            if (wet)
                mass = volume * s.chan_conc[m][node];
            else
                s.chan_conc[m][node] = 0.0;
            s.chan_node_mass[m][node] = mass;
            // With attached constituents the node's total starts dissolved.
            if (m <= s.chan_tot_node_mass.count && node <= s.chan_tot_node_mass.width)
                s.chan_tot_node_mass[m][node] = mass;
            s.chan_initial_mass_total[m] += mass / 1000.0;
            s.GLOBAL_MASS_INIT[m] += mass / 1000.0;
        }
    });
}

} // namespace

void init_channel_state(model_state& s)
{
    if (s.chan_explicit && (refuse_lake_point_sources(s) || !structure_links_setup(s)))
        return;
    s.chan_routing_active = 0;
    s.dry_chan_steps = 0;
    s.chan_events_started = 0;
    if (s.head_bound) {
        if (s.bound_ts_given) {
            s.bound_series = ts_find(s.bound_ts_name);
            if (!s.bound_series) {
                error_set(err_head_series_missing, s.bound_ts_name.c_str());
                return;
            }
        }
        stream_head_boundary(s);
        s.chan_routing_active = 1;
    }
    if (!s.chan_explicit)
        return;
    chan_route_work_reset(s);
    ex_section(s, 2);
    s.chan_initial_volume = channel_water_volume(s, false);
    s.lake_run_initial_volume = 0.0;
    if (s.chan_lakes)
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_run_initial_volume += s.lake_volume[k];
    if (s.chan_con_trans)
        initial_channel_masses(s);
    if (!s.chan_point_input_name.empty())
        chan_point_input_setup(s);
    // Stream boundary points keep feeding the network from the start.
    if (!s.xy_stream_q.empty())
        s.chan_routing_active = 1;
    // Cells of the grid-stream entries are channel cells for the erosion:
    // they never lose parent soil.
    if (s.grid_stream && s.sed.soil_erosion && s.gst_ncells >= 1) {
        s.channel_cells.assign(s.num_cells, 0);
        for (int m = 1; m <= s.gst_ncells; ++m)
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
                const int c = s.gst_gnum[m][e];
                if (c >= 1 && c <= s.num_cells)
                    s.channel_cells[c] = 1;
            }
    }
}
