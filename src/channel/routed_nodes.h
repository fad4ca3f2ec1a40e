// The routed channel links and their nodes: the links that hold flowing
// water (neither a structure nor a lake link, nor a section link a lake has
// captured), and a walk over their nodes with each node's water volume.
#pragma once

#include <algorithm>

#include "core/model_state.h"

// True for a routed channel link.
inline bool routed_link(const model_state& s, int link)
{
    const int type = link >= 1 && link <= s.ltype.size() ? s.ltype[link] : 0;
    if (type & (32 | 64)) return false;
    return !((type & 128) && (type & (4 | 8 | 16)));
}

// Calls f(link, node, volume) for nodes 1..nx of every routed link, the
// volume being node flow area times node spacing (0 where the area is not
// held). With lake_nodes_out, nodes above the link's node count as read
// (taken by a lake) are left out.
template <class F>
void for_each_routed_node(const model_state& s, bool lake_nodes_out, F&& f)
{
    const int links = std::min({s.num_links, s.nx.size(), s.link_dx.size()});
    for (int l = 1; l <= links; ++l) {
        if (!routed_link(s, l)) continue;
        int nodes = s.nx[l];
        if (lake_nodes_out) nodes = std::min(nodes, l <= s.og_nx1.size() ? s.og_nx1[l] : 0);
        for (int n = 1; n <= nodes; ++n) {
            const bool held = n <= s.area.rows() && l <= s.area.cols() && !s.area.empty();
            f(l, n, held ? s.area[n][l] * s.link_dx[l] : 0.0);
        }
    }
}

// Water in the routed channel links.
inline double channel_water_volume(const model_state& s, bool lake_nodes_out)
{
    double vol = 0.0;
    for_each_routed_node(s, lake_nodes_out, [&vol](int, int, double v) { vol += v; });
    return vol;
}
