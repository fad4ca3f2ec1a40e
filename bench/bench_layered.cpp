// Timed driver of the multi-layer Green-Ampt pass (layered_green_ampt_step)
// on a synthetic grid of 1,000 x 1,000 cells of three soil types of three
// layers, every cell ponded 5 cm so that each cell solves its front every
// step; the fronts cross into the second layer during the run. Prints cell
// updates per second (one cell of one pass is one update) at 1, 2, 4 and
// all threads.
//
//   torva_bench_layered [rows] [cols] [steps]
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
    s.inf_layered_soil = 1;
    for (dvec* v : {&s.ov_depth, &s.event_inf_depth, &s.wetdep, &s.inf_rate})
        v->assign(n, 0.0);
    s.soiltype.assign(n, 0);
    s.THETA_ML.assign(n, 4, 0.0);
    // Layers of 2, 20 and 50 cm: a sandy, a loamy and a clayey column (cm/h, cm).
    const double k[3][3] = {{6.0, 1.0, 0.1}, {1.3, 0.7, 0.2}, {0.6, 0.3, 0.05}};
    const double psi[3][3] = {{5.0, 11.0, 24.0}, {9.0, 11.0, 21.0}, {11.0, 17.0, 27.0}};
    for (int t = 1; t <= 3; ++t) {
        soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
        const double depth[3] = {2.0, 20.0, 50.0};
        for (int l = 0; l < 3; ++l) {
            soil.depth[l] = depth[l];
            soil.hyd_cond[l] = k[t - 1][l];
            soil.cap_head[l] = psi[t - 1][l];
            soil.porosity[l] = 0.45;
            soil.residual_sat[l] = 0.03;
        }
    }
    for (int i = 1; i <= n; ++i) {
        s.soiltype[i] = 1 + i % 3;
        for (int l = 1; l <= 3; ++l)
            s.THETA_ML[i][l] = 0.1 + 0.02 * ((i + l) % 7);
    }
    return state;
}

void reset(model_state& s)
{
    for (int i = 1; i <= s.num_cells; ++i) {
        s.ov_depth[i] = 0.05;
        s.event_inf_depth[i] = 0.0;
        s.wetdep[i] = 0.0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step = 60.0; // infiltration step, s
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_layered [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_grid(rows * cols);
    const int cores = processor_count();
    std::printf("Multi-layer Green-Ampt, %d x %d cells, ponded, %d steps of %.0f s, %d processors\n", rows,
                cols, steps, step, cores);
    std::printf("threads  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset(*s);
        if (!layered_green_ampt_step(*s, step)) // warms the caches
            return 1;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < steps; ++k)
            if (!layered_green_ampt_step(*s, step))
                return 1;
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double updates = static_cast<double>(rows) * cols * steps;
        std::printf("%7d  %7.3f  %14.3e\n", threads, secs, updates / secs);
    }
    return 0;
}
