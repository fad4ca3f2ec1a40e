// Capture and release of channel nodes by the channel lakes. A node whose
// grid-stream cells all lie inside lakes joins the lake downstream of its
// link, with its water, once the node below it has joined; a link whose
// nodes have all joined becomes part of that lake. A node whose cells are
// all dry of lake again comes back, upstream nodes first, with a level
// taken from the lake or from the water next to it.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "core/model_state.h"

namespace
{

bool lake_or_structure(int type)
{
    return (type & (32 | 64)) != 0;
}

bool captured_channel(int type)
{
    return (type & 128) && (type & (4 | 8 | 16));
}

// Fraction of every node's grid-stream cells that lie in lakes.
void flooded_fractions(model_state& s)
{
    for (int l = 1; l <= s.num_links; ++l) {
        if (lake_or_structure(s.ltype[l]))
            continue;
        for (int n = 1; n <= s.og_nx1[l]; ++n)
            s.pct_flooded[n][l] = 0.0;
    }
    for (int m = 1; m <= s.gst_ncells; ++m) {
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const int l = s.gst_link[m][e];
            const int n = s.gst_node[m][e];
            const int c = s.gst_gnum[m][e];
            if (l < 1 || l > s.num_links || lake_or_structure(s.ltype[l]) || c < 1 || c > s.num_cells)
                continue;
            if (s.lake_mask[c] > 0) {
                s.pct_flooded[n][l] += s.gst_pct[m][e];
                if (s.pct_flooded[n][l] > 1.001)
                    std::printf("Problem with the stream capturing routine, verify channel setup [%d][%d]:%.10lf\n",
                                n, l, s.pct_flooded[n][l]);
            }
        }
    }
}

// Number of constituents whose node and lake rows exist.
int lake_constituents(const model_state& s)
{
    if (!s.chan_con_trans)
        return 0;
    return std::min({s.num_constituents, s.chan_conc.count, s.chan_node_mass.count, s.lake_conc.count,
                     s.lake_chan_exchange_mass.count});
}

// A captured node's dissolved mass waits in the lake's channel exchange
// (and, with attached constituents, the rest of its total in the lake's
// attached inflow); the node keeps none.
void node_mass_to_lake(model_state& s, int l, int k, int lake)
{
    const int node = s.node_dim * l + k;
    const int c = lake_constituents(s);
    if (node > s.chan_node_mass.width || lake > s.lake_chan_exchange_mass.width)
        return;
    for (int m = 1; m <= c; ++m) {
        const double dissolved = s.chan_node_mass[m][node];
        s.lake_chan_exchange_mass[m][lake] += dissolved;
        s.chan_node_mass[m][node] = 0.0;
        s.chan_conc[m][node] = 0.0;
        // The attached rest of the node's total joins the lake's attached
        // inflow.
        if (m <= s.chan_tot_node_mass.count && node <= s.chan_tot_node_mass.width) {
            if (m <= s.chan_lake_sed_source.count && lake <= s.chan_lake_sed_source.width)
                s.chan_lake_sed_source[m][lake] += s.chan_tot_node_mass[m][node] - dissolved;
            s.chan_tot_node_mass[m][node] = 0.0;
        }
    }
}

// A released node takes the lake's concentration (all of its mass
// dissolved); its mass comes out of the lake's channel exchange.
void node_mass_from_lake(model_state& s, int l, int k, int lake)
{
    const int node = s.node_dim * l + k;
    const int c = lake_constituents(s);
    if (node > s.chan_node_mass.width || lake > s.lake_conc.width)
        return;
    const double volume = s.area[k][l] * s.link_dx[l];
    for (int m = 1; m <= c; ++m) {
        const double conc = s.lake_conc[m][lake];
        const double mass = conc * volume;
        s.chan_conc[m][node] = conc;
        s.chan_node_mass[m][node] = mass;
        s.lake_chan_exchange_mass[m][lake] -= mass;
        if (m <= s.chan_tot_node_mass.count && node <= s.chan_tot_node_mass.width)
            s.chan_tot_node_mass[m][node] = mass;
    }
}

void capture(model_state& s, imat& status)
{
    for (int l = s.num_links - 1; l >= 1; --l) {
        const int type = s.ltype[l];
        if (lake_or_structure(type) || captured_channel(type))
            continue;
        const int ds = s.dslink[l];
        const int lake = ds >= 1 && ds <= s.num_links ? s.lake2link[ds] : 0;
        if (lake < 1 || lake > s.num_lakes)
            continue; // only a lake below the link can take its nodes
        for (int k = s.nx[l]; k >= 1; --k) {
            const double f = s.pct_flooded[k][l];
            if (!(f > 0.999 && f < 1.001) || status[k][l] != 0)
                continue;
            const int dtype = s.ltype[ds];
            const bool below_taken = k != s.nx[l] ? status[k + 1][l] == 1
                                                  : (status[1][ds] == 1 || captured_channel(dtype) ||
                                                     (dtype & 32) != 0);
            if (!below_taken)
                continue;
            status[k][l] = 1;
            if (s.nx[l] < 1)
                continue;
            const double v = s.link_dx[l] * s.area[k][l];
            s.lake_volume[lake] += v;
            s.lake_in_dv[lake] += v;
            node_mass_to_lake(s, l, k, lake);
            s.area[k][l] = s.qp[k][l] = s.yp[k][l] = s.chan_depth[k][l] = 0.0;
            --s.nx[l];
            std::printf("node taken: [%d][%d] lake_elev: %7.2lf, dslink:%d nx: %d\n", k, l, s.lake_elev[lake], ds,
                        s.nx[l]);
            if (s.nx[l] == 0) {
                std::printf("***TORVA  has overtaken link: %d***\n", l);
                s.ltype[l] |= 128;
                s.lake2link[l] = lake;
            }
        }
    }
}

// False after the stop on a depth that is not a number.
bool release(model_state& s, imat& status)
{
    for (int l = 1; l <= s.num_links - 1; ++l) {
        const int type = s.ltype[l];
        if (lake_or_structure(type) || (captured_channel(type) && s.pct_flooded[1][l] > 1e-16))
            continue;
        const int ds = s.dslink[l];
        const int lake = ds >= 1 && ds <= s.num_links ? s.lake2link[ds] : 0;
        if (lake < 1 || lake > s.num_lakes)
            continue;
        const int first = s.nx[l] + 1;
        for (int k = first; k <= s.og_nx1[l]; ++k) {
            if (status[k][l] != 1 || s.pct_flooded[k][l] != 0.0 || (k > 1 && status[k - 1][l] == 1))
                continue;
            status[k][l] = 0;
            if (s.nx[l] < s.og_nx1[l]) {
                if (s.nx[l] == 0) {
                    s.lake2link[l] = 0;
                    s.ltype[l] &= ~128;
                }
                ++s.nx[l];
            }
            const double b = s.bel[k][l];
            double depth = s.chan_depth[k][l];
            if (s.lake_elev[lake] < b) {
                if (k == 1) {
                    double sum = 0.0;
                    for (int u = 1; u <= s.ndep[l]; ++u) {
                        const int up = s.uslinks[l][u];
                        sum += s.yp[s.nx[up]][up];
                    }
                    depth = (sum / std::max(s.ndep[l], 1) - b) / 2.0;
                } else if (s.chan_depth[k - 1][l] > 0.0) {
                    depth = (s.yp[k - 1][l] - b) / 2.0;
                }
                if (depth < 0.0)
                    depth = 0.0;
            } else {
                depth = s.lake_elev[lake] - b;
            }
            if (std::isnan(depth)) {
                std::printf("In ex_flow_route A:  Channel depth is not a number at link %d node %d\n", l, k);
                chan_stop();
                return false;
            }
            s.chan_depth[k][l] = depth;
            s.yp[k][l] = b + depth;
            ex_section(s, 2);
            const double v = s.area[k][l] * s.link_dx[l];
            s.lake_volume[lake] -= v;
            s.lake_out_dv[lake] += v;
            node_mass_from_lake(s, l, k, lake);
            std::printf("node released:[%d][%d], elev:%.1lf, depth:%.3lf, lakeelev:%.1lf, dslink:%d,nx: %d, "
                        "nx1_og: %d\n",
                        s.nx[l], l, b, depth, s.lake_elev[lake], ds, s.nx[l], s.og_nx1[l]);
        }
    }
    return true;
}

} // namespace

int capture_lake_nodes(model_state& s)
{
    imat& status = s.route_work.status_node;
    if (status.rows() < s.node_dim || s.pct_flooded.rows() < s.node_dim || s.lake_mask.size() < s.num_cells)
        return 0;
    if (s.chan_con_trans)
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_volume_last_chan[k] = s.lake_volume[k];
    flooded_fractions(s);
    capture(s, status);
    return release(s, status) ? 0 : -1;
}
