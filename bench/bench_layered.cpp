// Timed driver of the multi-layer Green-Ampt pass (layered_green_ampt_step)
// on a synthetic grid of 1,000 x 1,000 cells of three soil types of three
// layers, every cell ponded 5 cm so that each cell solves its front every
// step; the fronts cross into the second layer during the run. Prints cell
// updates per second (one cell of one pass is one update) at 1, 2, 4 and
// all threads.
//
//   torva_bench_layered [rows] [cols] [steps]
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
    bench_run_size size;
    if (!read_bench_run_size(argc, argv, "torva_bench_layered", 1, size))
        return 1;
    const double step = 60.0; // infiltration step, s
    auto s = make_grid(size.rows * size.cols);
    const int cores = processor_count();
    std::printf("Multi-layer Green-Ampt, %d x %d cells, ponded, %d steps of %.0f s, %d processors\n",
                size.rows, size.cols, size.steps, step, cores);
    const bool ran = time_cell_passes(
        size, cores,
        [&] {
            reset(*s);
            return layered_green_ampt_step(*s, step); // warms the caches
        },
        [&](int) { return layered_green_ampt_step(*s, step); });
    return ran ? 0 : 1;
}
