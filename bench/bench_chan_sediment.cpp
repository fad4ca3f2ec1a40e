// Timed driver of the channel sediment passes on a chain of erodible
// trapezoidal links (200 links of 50 nodes by default, two fine classes
// and one sand class, 1 m deep, 6 m3/s). One node through one channel
// step is one node update. The passes are serial in link and node order.
//
//   torva_bench_chan_sediment [links] [nodes] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/model_state.h"
#include "quality/chan_sediment.h"

namespace
{

std::unique_ptr<model_state> make_chain(int L, int nodes)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_links = L;
    s.link_dim = L + 1;
    s.node_dim = nodes + 1;
    s.ltype.assign(L, 2 | 4);
    s.nx.assign(L, nodes);
    s.og_nx1.assign(L, nodes);
    s.dslink.assign(L, 0);
    s.ndep.assign(L, 0);
    s.uslinks.assign(L, 1, 0);
    s.link_dx.assign(L, 100.0);
    s.lake2link.assign(L, 0);
    s.bplink.assign(L, 0);
    for (dnode_mat* m :
         {&s.bel, &s.chan_depth, &s.qp, &s.bottom, &s.sslope, &s.max_eros, &s.area, &s.qp_vol_sed})
        m->assign(s.node_dim, s.link_dim, 0.0);
    for (int l = 1; l <= L; ++l) {
        s.dslink[l] = l < L ? l + 1 : 0;
        if (l > 1) {
            s.ndep[l] = 1;
            s.uslinks[l][1] = l - 1;
        }
        for (int k = 1; k <= nodes; ++k) {
            s.bel[k][l] = 1000.0 - 0.1 * ((l - 1) * nodes + k - 1);
            s.chan_depth[k][l] = 1.0;
            s.qp[k][l] = 6.0;
            s.bottom[k][l] = 5.0;
            s.sslope[k][l] = 1.0;
            s.max_eros[k][l] = 0.5;
            s.area[k][l] = 6.0;
        }
    }
    s.sed.num_sed = 3;
    s.sed.water_viscosity = 1e-6;
    s.num_fine_classes = 2;
    s.num_sand_classes = 1;
    s.sed_class.assign(3, 0);
    s.sand.assign(3, 0);
    s.particle_density.assign(3, 2.65e6);
    for (int c = 1; c <= 3; ++c)
        s.sed_class[c] = c;
    s.sand[3] = 1;
    s.sand_size = 0.25;
    s.sed_porosity = 0.4;
    s.chan_sed_on = 1;
    alloc_channel_sediment(s);
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    const int L = argc > 1 ? std::atoi(argv[1]) : 200;
    const int nodes = argc > 2 ? std::atoi(argv[2]) : 50;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 200;
    if (L < 1 || nodes < 2 || steps < 1) {
        std::fprintf(stderr, "usage: torva_bench_chan_sediment [links] [nodes] [steps]\n");
        return 1;
    }
    auto s = make_chain(L, nodes);
    const double dt = 10.0;
    for (int l = 1; l <= L; ++l)
        for (int k = 1; k <= nodes; ++k)
            s->qp_vol_sed[k][l] = 6.0 * dt;
    const auto t0 = std::chrono::steady_clock::now();
    for (int step = 0; step < steps; ++step) {
        s->qlat_sed[1][1][1] = s->qlat_sed[1][1][2] = 0.01;
        chan_sed_transport(*s, dt);
        chan_constituent_transport(*s, dt);
    }
    const double sec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double updates = static_cast<double>(L) * nodes * steps;
    std::printf(
        "channel sediment (sand + wash load), %d links x %d nodes, %d steps: %.3f s, %.3e node-updates/s\n",
        L, nodes, steps, sec, updates / sec);
    return 0;
}
