// Timed driver of the explicit channel routing on a synthetic network: a
// binary tree of 1,000 trapezoidal links of 50 nodes (500 headwater links,
// each fed a steady inflow), 100 m node spacing, bed slope 0.001, starting
// 0.3 m deep everywhere. Prints
// node updates per second (one node through one sub-step) and sub-steps per
// channel time, after a warm-up toward the steady state. With "loss" every
// node lies in its own stream cell and loses to the aquifer through its bed
// (STREAM_LOSS without a water table), so the seepage passes are timed too.
//
//   torva_bench_channel [links] [nodes] [channel times] [loss]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// One stream cell per node, every bed 1 m thick passing 0.01 m per hour.
void add_stream_loss(model_state& s)
{
    const int L = s.num_links, nodes = s.nx[1], nd = s.node_dim, ld = s.link_dim;
    s.stream_loss = 1;
    s.num_cells = s.gst_ncells = L * nodes;
    s.gridsize = 100.0;
    for (dnode_mat* m : {&s.Krb, &s.Mrb, &s.qriv, &s.av_qriv, &s.sslope2})
        m->assign(nd, ld, 0.0);
    s.gwbound.assign(s.num_cells, 4);
    s.elevgw.assign(s.num_cells, 0.0);
    s.gw_chan_exchange.assign(s.num_cells, 0.0);
    s.gst_ncellsingrid.assign(s.num_cells, 1);
    s.gst_link.assign(s.num_cells, 1, 0);
    s.gst_node.assign(s.num_cells, 1, 0);
    s.gst_gnum.assign(s.num_cells, 1, 0);
    s.gst_pct.assign(s.num_cells, 1, 1.0);
    s.gst_qriv.assign(s.num_cells, 1, 0.0);
    int c = 0;
    for (int l = 1; l <= L; ++l)
        for (int k = 1; k <= nodes; ++k) {
            s.Krb[k][l] = 0.01;
            s.Mrb[k][l] = 1.0;
            ++c;
            s.gst_link[c][1] = l;
            s.gst_node[c][1] = k;
            s.gst_gnum[c][1] = c;
        }
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
    const bool loss = argc > 4 && std::strcmp(argv[4], "loss") == 0;
    if (loss)
        add_stream_loss(s);
    const double dt = 60.0;
    route_volumes v;
    for (int i = 0; i < 60; ++i) // an hour toward the steady state
        if (ex_flow_route(s, dt, v) < 0)
            return 1;
    const long before = s.route_work.substeps;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        if (ex_flow_route(s, dt, v) < 0)
            return 1;
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long sub = s.route_work.substeps - before;
    const double updates = static_cast<double>(sub) * links * nodes;
    std::printf("network %d links x %d nodes, %d channel times of %.0f s%s\n", links, nodes, times, dt,
                loss ? ", losing to the aquifer" : "");
    std::printf("sub-steps per channel time %.1f\n", static_cast<double>(sub) / times);
    std::printf("node updates per second %.3e (%.3f s)\n", updates / secs, secs);
    std::printf("outlet discharge %.3f m3/s (inflow %.3f m3/s)\n", s.qp[nodes][links],
                s.first_order_chan_q * ((links + 1) / 2));
    return 0;
}
