// Places the stream boundary points on the channel network. A point given
// by link and node must name a node of a routed link; a point given by X
// and Y takes the routed node whose reach (node point n to n + 1 of the
// channel input file's X_Y lines) passes nearest to it, the node a parent
// model's crossing at that reach reports.
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/error_state.h"
#include "coupling/coupling_services.h"

namespace
{

// Lake and structure links route no node discharge.
bool routed_kind(int type)
{
    return (type & (32 | 64)) == 0;
}

double distance_to_reach(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double u = len2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    u = u < 0.0 ? 0.0 : (u > 1.0 ? 1.0 : u);
    return std::hypot(px - (ax + u * dx), py - (ay + u * dy));
}

// True when some node point of the link was given a position.
bool has_positions(const stream_network_view& net, int l)
{
    for (int k = 1; k <= (*net.node_points)[l]; ++k)
        if ((*net.lnx)[k][l] != 0.0 || (*net.lny)[k][l] != 0.0)
            return true;
    return false;
}

bool stop()
{
    error_set(err_stop);
    return false;
}

} // namespace

bool locate_stream_bdy_linknodes(xy_input& in, const stream_network_view& net)
{
    const ivec& nodes = *net.nodes;
    const ivec& points = *net.node_points;
    const ivec& type = *net.link_type;
    for (int k = 0; k < in.num_st_points; ++k) {
        xy_stream_point& p = in.stpts[k];
        if (p.explicit_point) {
            if (p.link < 1 || p.link > net.num_links || !routed_kind(type[p.link]) || p.node < 1 ||
                p.node > nodes[p.link]) {
                std::printf("Error: stream xy boundary point %d: link %d node %d is not a node of a routed "
                            "channel link.\n",
                            k + 1, p.link, p.node);
                return stop();
            }
            continue;
        }
        double best = std::numeric_limits<double>::infinity();
        for (int l = 1; l <= net.num_links; ++l) {
            if (!routed_kind(type[l]) || !has_positions(net, l))
                continue;
            for (int n = 1; n <= nodes[l]; ++n) {
                const int m = n + 1 <= points[l] ? n + 1 : n;
                const double d = distance_to_reach(p.x, p.y, (*net.lnx)[n][l], (*net.lny)[n][l],
                                                   (*net.lnx)[m][l], (*net.lny)[m][l]);
                if (d < best) {
                    best = d;
                    p.link = l;
                    p.node = n;
                }
            }
        }
        if (best == std::numeric_limits<double>::infinity()) {
            std::printf("Error: stream xy boundary point %d at (%.3f, %.3f) cannot be placed on the channel "
                        "network: no routed link has X_Y node points in the channel input file.\n",
                        k + 1, p.x, p.y);
            return stop();
        }
    }
    std::printf("TORVA placed %d stream xy boundary points on link/nodes.\n", in.num_st_points);
    for (int k = 0; k < in.num_st_points; ++k)
        std::printf("%d,%d\t", in.stpts[k].link, in.stpts[k].node);
    std::printf("\n");
    return true;
}

void apply_st_xy_bdy(const xy_input& in, dnode_mat& inflow, double t)
{
    for (int k = 0; k < in.num_st_points; ++k)
        inflow[in.stpts[k].node][in.stpts[k].link] = 0.0;
    for (int k = 0; k < in.num_st_points; ++k) {
        const xy_stream_point& p = in.stpts[k];
        if (!p.series)
            continue; // reported when its series was not found
        const double q = ts_value_at(t, p.series);
        // The points are inflow boundaries: a discharge back toward the outer
        // model (negative) brings no water in.
        if (q > 0.0)
            inflow[p.node][p.link] += q;
    }
}
