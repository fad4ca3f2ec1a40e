// Timed driver of the dissolved channel routing step on a synthetic
// network: a main stem of even links with a tributary (odd link) joining
// each, 40 links of 25 nodes (1,000 nodes) and ten constituents by
// default, Courant number 0.6 over the step (two sub-steps) and dispersion.
// One node of one constituent through one routing step is one node update.
// The constituents are routed on 1, 2, 4 and all threads.
//
//   torva_bench_chan_wq_route [links] [nodes] [constituents] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <omp.h>

#include "core/model_state.h"
#include "input/quality_inputs.h"
#include "quality/chan_wq_route.h"
#include "quality/quality_steps.h"

namespace
{

constexpr double dt = 60.0;

std::unique_ptr<model_state> make_network(int L, int nodes, int constituents)
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
    s.uslinks.assign(L, 2, 0);
    s.link_dx.assign(L, 100.0);
    s.lake2link.assign(L, 0);
    for (dnode_mat* m : {&s.area, &s.area_old, &s.qp_vol})
        m->assign(s.node_dim, s.link_dim, 0.0);
    for (int l = 1; l <= L; ++l) {
        const int down = l % 2 ? l + 1 : l + 2;
        s.dslink[l] = down <= L ? down : 0;
        if (s.dslink[l])
            s.uslinks[s.dslink[l]][++s.ndep[s.dslink[l]]] = l;
    }
    s.num_cells = 1;
    grow_constituent_arrays(s, constituents, 1, 0);
    s.chan_con_trans = 1;
    s.chan_con_output_name.clear(); // no "con_output" file
    s.contam_table_read = 1;
    alloc_channel_constituents(s);
    for (int l = 1; l <= L; ++l)
        for (int k = 1; k <= nodes; ++k) {
            s.area[k][l] = s.area_old[k][l] = 5.0;
            const int j = s.node_dim * l + k;
            for (int i = 1; i <= constituents; ++i) {
                s.chan_node_mass[i][j] = 100.0 * ((j + i) % 7);
                s.chan_conc[i][j] = s.chan_node_mass[i][j] / 500.0;
                s.chan_node_disp[i][j] = 0.5;
            }
        }
    s.time_tol = 1.1574074074074074e-7;
    return state;
}

void one_step(model_state& s, int step)
{
    const double now = 2451545.0 + step * dt / 86400.0;
    s.current_time = now;
    s.chan_con_next = now;
    s.chan_con_last = now - dt / 86400.0;
    s.chan_next = now + dt / 86400.0;
    for (int l = 1; l <= s.num_links; ++l)
        for (int k = 1; k <= s.nx[l]; ++k)
            s.qp_vol[k][l] = 300.0;
    chan_contam_route_step(s);
}

} // namespace

int main(int argc, char** argv)
{
    const int L = argc > 1 ? std::atoi(argv[1]) : 40;
    const int nodes = argc > 2 ? std::atoi(argv[2]) : 25;
    const int nc = argc > 3 ? std::atoi(argv[3]) : 10;
    const int steps = argc > 4 ? std::atoi(argv[4]) : 200;
    if (L < 2 || nodes < 2 || nc < 1 || steps < 1) {
        std::fprintf(stderr, "usage: torva_bench_chan_wq_route [links] [nodes] [constituents] [steps]\n");
        return 1;
    }
    std::vector<int> threads = {1, 2, 4, omp_get_max_threads()};
    std::printf("chan_wq_route: %d links x %d nodes, %d constituents, %d steps of %.0f s\n", L, nodes, nc,
                steps, dt);
    for (int t : threads) {
        auto s = make_network(L, nodes, nc);
        if (!chan_wq_setup(*s, t))
            return 1;
        one_step(*s, 0); // warm the caches
        double best = 1e30;
        for (int round = 0; round < 3; ++round) {
            const auto start = std::chrono::steady_clock::now();
            for (int k = 1; k <= steps; ++k)
                one_step(*s, k);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            best = took.count() < best ? took.count() : best;
        }
        const double updates = static_cast<double>(L) * nodes * nc * steps;
        std::printf("threads %2d: %.3f s per %d steps, %.3g node-updates/s\n", t, best, steps,
                    updates / best);
    }
    return 0;
}
