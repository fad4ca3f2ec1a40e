// A hand-made channel network for the dissolved routing tests: links of
// five nodes 100 m apart with 5 m2 of flow area, joined as asked.
#pragma once

#include <memory>
#include <vector>

#include "core/model_state.h"

namespace chan_wq_fixture
{

inline constexpr int nodes = 5;
inline constexpr double dx = 100.0;
inline constexpr double area = 5.0; // m2: 500 m3 per node

// The links of a network: down[l] is the downstream link (0 at the outlet),
// kinds the bit words; every link has the given nodes spaced link_dx apart
// and at most three upstream links.
inline void set_links(model_state& s, const std::vector<int>& down, const std::vector<int>& kinds,
                      int link_nodes, double link_dx)
{
    const int L = static_cast<int>(down.size());
    s.num_links = L;
    s.link_dim = L + 1;
    s.node_dim = link_nodes + 1;
    s.link_node_cells = s.link_dim * s.node_dim;
    s.ltype.assign(L, 0);
    s.nx.assign(L, link_nodes);
    s.og_nx1.assign(L, link_nodes);
    s.dslink.assign(L, 0);
    s.ndep.assign(L, 0);
    s.uslinks.assign(L, 3, 0);
    s.link_dx.assign(L, link_dx);
    s.lake2link.assign(L, 0);
    for (int l = 1; l <= L; ++l) {
        s.ltype[l] = kinds[static_cast<std::size_t>(l - 1)];
        s.dslink[l] = down[static_cast<std::size_t>(l - 1)];
        if (s.dslink[l] >= 1)
            s.uslinks[s.dslink[l]][++s.ndep[s.dslink[l]]] = l;
    }
}

// Links of 5 nodes; down[l] is the downstream link (0 at the outlet) and
// kinds the bit words. Every node passes qv m3 over the step.
inline std::unique_ptr<model_state> make_wq_network(const std::vector<int>& down,
                                                    const std::vector<int>& kinds, double qv)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    set_links(s, down, kinds, nodes, dx);
    const int L = s.num_links;
    for (dnode_mat* m : {&s.area, &s.area_old, &s.qp_vol})
        m->assign(s.node_dim, s.link_dim, 0.0);
    int lakes = 0;
    for (int l = 1; l <= L; ++l) {
        if (s.ltype[l] & 32)
            s.lake2link[l] = ++lakes;
        for (int k = 1; k <= nodes; ++k) {
            s.area[k][l] = s.area_old[k][l] = area;
            s.qp_vol[k][l] = qv;
        }
    }
    if (lakes) {
        s.chan_lakes = 1;
        s.num_lakes = lakes;
        s.lake_volume.assign(lakes, 0.0);
        s.lake_volume_last_chan.assign(lakes, 0.0);
    }
    return state;
}

} // namespace chan_wq_fixture
