// Timed driver of the plain Green-Ampt pass on a synthetic grid of 1,000 x
// 1,000 cells, half of them ponded. Prints cell updates per second (one cell
// of one pass is one update) at 1, 2, 4 and all threads.
//
//   torva_bench_infiltration [rows] [cols] [steps]
#include <cstdio>
#include <memory>

#include "bench_threads.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "subsurface/infiltration.h"

namespace
{

// Loam-like soils varying from cell to cell, every other cell ponded 5 cm.
std::unique_ptr<model_state> make_grid(int n)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_cells = n;
    s.gridsize = 10.0;
    s.green_ampt = 1;
    s.dist_ksat.assign(n, 0.0);
    s.dist_cap_head.assign(n, 0.0);
    s.dist_porosity.assign(n, 0.45);
    s.dist_init_moisture.assign(n, 0.0);
    s.psi_dtheta.assign(n, 0.0);
    s.event_inf_depth.assign(n, 0.0);
    s.inf_rate.assign(n, 0.0);
    s.ov_depth.assign(n, 0.0);
    for (int i = 1; i <= n; ++i) {
        s.dist_ksat[i] = 1e-6 * (1.0 + (i % 23) / 5.0);
        s.dist_cap_head[i] = 0.05 + 0.01 * (i % 13);
        s.dist_init_moisture[i] = 0.1 + 0.02 * (i % 7);
    }
    return state;
}

void reset(model_state& s)
{
    for (int i = 1; i <= s.num_cells; ++i) {
        s.ov_depth[i] = i % 2 ? 0.05 : 0.0;
        s.event_inf_depth[i] = 0.0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    bench_run_size size;
    if (!read_bench_run_size(argc, argv, "torva_bench_infiltration", 1, size))
        return 1;
    const double step = 10.0; // infiltration step, s
    auto s = make_grid(size.rows * size.cols);
    const int cores = processor_count();
    std::printf("Green-Ampt infiltration, %d x %d cells, half ponded, %d steps of %.0f s, %d processors\n",
                size.rows, size.cols, size.steps, step, cores);
    const bool ran = time_cell_passes(
        size, cores,
        [&] {
            reset(*s);
            return green_ampt_step(*s, step); // first pass fills the suction term and warms the caches
        },
        [&](int) { return green_ampt_step(*s, step); });
    return ran ? 0 : 1;
}
