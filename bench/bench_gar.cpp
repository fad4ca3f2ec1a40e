// Timed driver of the Green-Ampt pass with redistribution (gar_step) on a
// synthetic grid of 1,000 x 1,000 cells with varied soils: a third of the
// cells ponded 5 cm, a third under a thin film that soaks in within the
// first step and then redistributes, a third dry. Prints cell updates per
// second (one cell of one pass is one update) at 1, 2, 4 and all threads.
//
//   torva_bench_gar [rows] [cols] [steps]
#include <cstdio>
#include <memory>

#include "bench_threads.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "subsurface/infiltration.h"

namespace
{

std::unique_ptr<model_state> make_grid(int n)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_cells = n;
    s.gridsize = 10.0;
    s.inf_redist = 1;
    for (dvec* v : {&s.dist_ksat, &s.dist_cap_head, &s.dist_porosity, &s.dist_resid_sat, &s.dist_pore_index,
                    &s.dist_init_moisture, &s.event_inf_depth, &s.inf_rate, &s.ov_depth, &s.redist_theta_1,
                    &s.redist_theta_2, &s.redist_aux, &s.inf_depth_mark})
        v->assign(n, 0.0);
    for (ivec* v : {&s.iter_pond_1, &s.iter_n, &s.no_wat_prof, &s.iter_i_less_k, &s.yes_exfil})
        v->assign(n, 0);
    for (int i = 1; i <= n; ++i) {
        s.dist_ksat[i] = 1e-6 * (1.0 + (i % 23) / 5.0);
        s.dist_cap_head[i] = 0.05 + 0.01 * (i % 13);
        s.dist_porosity[i] = 0.45;
        s.dist_resid_sat[i] = 0.03;
        s.dist_pore_index[i] = 0.2 + 0.02 * (i % 11);
        s.dist_init_moisture[i] = 0.1 + 0.02 * (i % 7);
    }
    return state;
}

void reset(model_state& s)
{
    reset_redistribution(s, nullptr);
    for (int i = 1; i <= s.num_cells; ++i)
        s.ov_depth[i] = i % 3 == 0 ? 0.05 : (i % 3 == 1 ? 1e-5 : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    bench_run_size size;
    if (!read_bench_run_size(argc, argv, "torva_bench_gar", 1, size))
        return 1;
    const double step = 10.0; // infiltration step, s
    auto s = make_grid(size.rows * size.cols);
    const int cores = processor_count();
    std::printf(
        "Green-Ampt with redistribution, %d x %d cells, a third ponded, %d steps of %.0f s, %d processors\n",
        size.rows, size.cols, size.steps, step, cores);
    const bool ran = time_cell_passes(
        size, cores,
        [&] {
            reset(*s);
            return gar_step(*s, step, 1); // the opening pass warms the caches
        },
        [&](int k) { return gar_step(*s, step, k + 2); });
    return ran ? 0 : 1;
}
