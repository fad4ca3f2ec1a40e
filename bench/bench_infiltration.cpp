// Timed driver of the plain Green-Ampt pass on a synthetic grid of 1,000 x
// 1,000 cells, half of them ponded. Prints cell updates per second (one cell
// of one pass is one update) at 1, 2, 4 and all threads.
//
//   torva_bench_infiltration [rows] [cols] [steps]
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
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step = 10.0; // infiltration step, s
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_infiltration [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_grid(rows * cols);
    const int cores = processor_count();
    std::printf("Green-Ampt infiltration, %d x %d cells, half ponded, %d steps of %.0f s, %d processors\n", rows,
                cols, steps, step, cores);
    std::printf("threads  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset(*s);
        if (!green_ampt_step(*s, step)) // first pass fills the suction term and warms the caches
            return 1;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < steps; ++k)
            if (!green_ampt_step(*s, step))
                return 1;
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double updates = static_cast<double>(rows) * cols * steps;
        std::printf("%7d  %7.3f  %14.3e\n", threads, secs, updates / secs);
    }
    return 0;
}
