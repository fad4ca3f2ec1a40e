// Timed driver of the Green-Ampt pass with redistribution (gar_step) on a
// synthetic grid of 1,000 x 1,000 cells with varied soils: a third of the
// cells ponded 5 cm, a third under a thin film that soaks in within the
// first step and then redistributes, a third dry. Prints cell updates per
// second (one cell of one pass is one update) at 1, 2, 4 and all threads.
//
//   torva_bench_gar [rows] [cols] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

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
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step = 10.0; // infiltration step, s
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_gar [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_grid(rows * cols);
    const int cores = processor_count();
    std::printf(
        "Green-Ampt with redistribution, %d x %d cells, a third ponded, %d steps of %.0f s, %d processors\n",
        rows, cols, steps, step, cores);
    std::printf("threads  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset(*s);
        if (!gar_step(*s, step, 1)) // the opening pass warms the caches
            return 1;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < steps; ++k)
            if (!gar_step(*s, step, k + 2))
                return 1;
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double updates = static_cast<double>(rows) * cols * steps;
        std::printf("%7d  %7.3f  %14.3e\n", threads, secs, updates / secs);
    }
    return 0;
}
