// Timed driver of the explicit channel routing on a synthetic network: a
// binary tree of 1,000 trapezoidal links of 50 nodes (500 headwater links,
// each fed a steady inflow), 100 m node spacing, bed slope 0.001, starting
// 0.3 m deep everywhere. Prints
// node updates per second (one node through one sub-step) and sub-steps per
// channel time, after a warm-up toward the steady state.
//
//   torva_bench_channel [links] [nodes] [channel times]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "core/model_state.h"

namespace
{

std::unique_ptr<model_state> make_network(int L, int nodes)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const double dx = 100.0, slope = 0.001;
    s.num_links = L;
    s.max_nodes = nodes + 1;
    s.link_dim = L + 1;
    s.node_dim = nodes + 2;
    s.max_courant_number = 0.04;
    s.first_order_chan_q = 0.05;
    s.chan_explicit = 1;
    const int nd = s.node_dim, ld = s.link_dim;
    for (ivec* v : {&s.ltype, &s.ldex, &s.ndep, &s.dslink, &s.nx, &s.nx1, &s.og_nx1})
        v->assign(L, 0);
    s.link_dx.assign(L, dx);
    s.inv_mannings_n.assign(L, 1.0 / 0.035);
    s.uslinks.assign(ld, 2, 0);
    for (dnode_mat* m : {&s.bel, &s.bottom, &s.sslope, &s.bankfull_dep, &s.yp, &s.qp, &s.area, &s.conv,
                         &s.dconv, &s.topw, &s.chan_depth, &s.qlat, &s.area_old})
        m->assign(nd, ld, 0.0);
    s.table_num.assign(nd, ld, 0);
    // Tree position j = L - link (0 the outlet); the parent of j is (j - 1) / 2.
    for (int l = 1; l <= L; ++l) {
        const int j = L - l;
        s.ltype[l] = 4;
        s.ldex[l] = l;
        s.nx[l] = s.nx1[l] = s.og_nx1[l] = nodes;
        s.dslink[l] = j == 0 ? 0 : L - (j - 1) / 2;
        if (j > 0) {
            const int ds = s.dslink[l];
            s.uslinks[ds][++s.ndep[ds]] = l;
        }
        int depth = 0;
        for (int k = j + 1; k > 1; k /= 2)
            ++depth;
        const double base = depth * nodes * dx * slope;
        for (int k = 1; k <= nodes; ++k) {
            s.bel[k][l] = base + (nodes - k + 0.5) * dx * slope;
            s.yp[k][l] = s.bel[k][l] + 0.3; // the network starts wet
            s.bottom[k][l] = 5.0;
            s.sslope[k][l] = 1.0;
            s.bankfull_dep[k][l] = 3.0;
        }
    }
    ex_section(s, 2);
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    const int links = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int nodes = argc > 2 ? std::atoi(argv[2]) : 50;
    const int times = argc > 3 ? std::atoi(argv[3]) : 30;
    if (links < 1 || nodes < 2 || times < 1) {
        std::fprintf(stderr, "usage: torva_bench_channel [links] [nodes] [channel times]\n");
        return 1;
    }
    auto state = make_network(links, nodes);
    model_state& s = *state;
    const double dt = 60.0;
    route_volumes v;
    for (int i = 0; i < 60; ++i) // an hour toward the steady state
        if (ex_flow_route(s, dt, v) != 0)
            return 1;
    const long before = s.route_work.substeps;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        if (ex_flow_route(s, dt, v) != 0)
            return 1;
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long sub = s.route_work.substeps - before;
    const double updates = static_cast<double>(sub) * links * nodes;
    std::printf("network %d links x %d nodes, %d channel times of %.0f s\n", links, nodes, times, dt);
    std::printf("sub-steps per channel time %.1f\n", static_cast<double>(sub) / times);
    std::printf("node updates per second %.3e (%.3f s)\n", updates / secs, secs);
    std::printf("outlet discharge %.3f m3/s (inflow %.3f m3/s)\n", s.qp[nodes][links],
                s.first_order_chan_q * ((links + 1) / 2));
    return 0;
}
