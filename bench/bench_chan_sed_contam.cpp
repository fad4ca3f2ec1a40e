// Timed driver of the attached-constituent step on a chain of trapezoidal
// links (200 links of 50 nodes by default, two fine classes of wash load
// moving downstream, four constituents): routing of the attached mass,
// the phase split and the queued dissolved sources. One node of one
// constituent through one step is one node update. The step is serial in
// link and node order.
//
//   torva_bench_chan_sed_contam [links] [nodes] [constituents] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/model_state.h"
#include "quality/chan_sediment.h"
#include "quality/quality_steps.h"

namespace
{

std::unique_ptr<model_state> make_chain(int L, int nodes, int C)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_links = L;
    s.link_dim = L + 1;
    s.node_dim = nodes + 1;
    s.link_node_cells = s.link_dim * s.node_dim;
    s.ltype.assign(L, 4);
    s.nx.assign(L, nodes);
    s.og_nx1.assign(L, nodes);
    s.dslink.assign(L, 0);
    s.ndep.assign(L, 0);
    s.uslinks.assign(L, 1, 0);
    s.link_dx.assign(L, 100.0);
    s.lake2link.assign(L, 0);
    s.area.assign(s.node_dim, s.link_dim, 0.0);
    for (int l = 1; l <= L; ++l) {
        s.dslink[l] = l < L ? l + 1 : 0;
        if (l > 1) {
            s.ndep[l] = 1;
            s.uslinks[l][1] = l - 1;
        }
        for (int k = 1; k <= nodes; ++k)
            s.area[k][l] = 6.0;
    }
    s.sed.num_sed = 2;
    s.num_fine_classes = 2;
    s.sed_class.assign(2, 0);
    s.sand.assign(2, 0);
    s.particle_density.assign(2, 2.65e6);
    s.sed_class[1] = 1;
    s.sed_class[2] = 2;
    s.sed_porosity = 0.4;
    s.chan_sed_on = 1;
    alloc_channel_sediment(s);
    s.num_constituents = C;
    checked_array_grow_fill(s.constituent_type, C, 1);
    for (checked_array<double>* a : {&s.GLOBAL_MASS_INIT, &s.GLOBAL_MASS_OUT, &s.water_soil_partition_coef})
        checked_array_grow(*a, C);
    s.chan_con_trans = 1;
    s.sediment_contam = 1;
    s.chan_con_output_name.clear();
    alloc_channel_constituents(s);
    s.time_tol = process_time_tol;
    for (int i = 1; i <= C; ++i) {
        s.chan_soil_water_partition[i] = 100.0 * i;
        for (int l = 1; l <= L; ++l)
            for (int k = 1; k <= nodes; ++k) {
                const int j = s.node_dim * l + k;
                s.chan_node_mass[i][j] = 1000.0;
                s.chan_tot_node_mass[i][j] = 1000.0;
                for (int c = 1; c <= 2; ++c) {
                    s.ch_wash_vol[k][l][c] = 0.01;
                    s.qsmax[j][c] = 1e-4;
                }
            }
    }
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    const int L = argc > 1 ? std::atoi(argv[1]) : 200;
    const int nodes = argc > 2 ? std::atoi(argv[2]) : 50;
    const int C = argc > 3 ? std::atoi(argv[3]) : 4;
    const int steps = argc > 4 ? std::atoi(argv[4]) : 100;
    if (L < 1 || nodes < 2 || C < 1 || steps < 1) {
        std::fprintf(stderr, "usage: torva_bench_chan_sed_contam [links] [nodes] [constituents] [steps]\n");
        return 1;
    }
    auto s = make_chain(L, nodes, C);
    const double dt = 10.0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int step = 0; step < steps; ++step) {
        s->current_time = step * dt / 86400.0;
        s->chan_con_next = s->current_time;
        s->chan_con_last = s->current_time - dt / 86400.0;
        chan_sed_contam_step(*s);
    }
    const double sec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double updates = static_cast<double>(L) * nodes * C * steps;
    std::printf("attached constituents, %d links x %d nodes, %d constituents, %d steps: %.3f s, %.3e "
                "node-updates/s\n",
                L, nodes, C, steps, sec, updates / sec);
    return 0;
}
