// Timed driver of the explicit overland routing on a synthetic sloping grid
// of 1,000 x 1,000 cells. Prints cell updates per second (one cell of one
// directional sweep is one update) at 1, 2, 4 and all threads.
//
//   torva_bench_explicit [rows] [cols] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "overland/ov_explicit.h"
#include "overland/overland_steps.h"

namespace
{

// The grid of the ADE benchmark: a plane falling 1 % toward the right and
// 0.5 % toward the bottom, 10 m cells, Manning n 0.05, 2 cm of water
// everywhere and a 30 cm mound.
std::unique_ptr<model_state> make_grid(int rows, int cols)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int n = rows * cols;
    s.num_rows = rows;
    s.num_cols = cols;
    s.num_cells = n;
    s.gridsize = 10.0;
    s.overtype = 1;
    s.super_quiet = 1;
    s.quiet = 1;
    s.mask.assign(rows + 1, cols + 1, 0);
    s.ground_elev.assign(n, 0.0);
    s.dist_rough.assign(n, 0.05);
    s.retent_dep.assign(n, 0.0);
    s.roughness_exp.assign(n, 0.0);
    s.ov_depth.assign(n, 0.0);
    s.slope_x.assign(n, 0.0);
    s.slope_y.assign(n, 0.0);
    int k = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            s.mask[r][c] = ++k;
            s.ground_elev[k] = 1000.0 - 0.1 * (c - 1) - 0.05 * (r - 1);
        }
    build_cell_connectivity(s);
    compute_cell_slopes(s);
    s.outlet_cell = n;
    s.outslope = 0.01;
    return state;
}

void reset_depths(model_state& s, int rows, int cols)
{
    for (int i = 1; i <= s.num_cells; ++i)
        s.ov_depth[i] = 0.02;
    s.ov_depth[(rows / 2 - 1) * cols + cols / 2] = 0.3;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step = 10.0; // overland step, s
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_explicit [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_grid(rows, cols);
    const int cores = processor_count();
    std::printf("Explicit overland routing, %d x %d cells, %d steps of %.0f s, %d processors\n", rows, cols,
                steps, step, cores);
    std::printf("threads  sweeps  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset_depths(*s, rows, cols);
        ov_explicit_state st;
        ov_explicit_route(*s, st, step); // first call: warms the caches
        const long long before = st.sweeps;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < steps; ++k)
            ov_explicit_route(*s, st, step);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const long long sweeps = st.sweeps - before;
        const double updates = static_cast<double>(sweeps) * s->num_cells;
        std::printf("%7d %7lld %8.3f %15.3e\n", threads, sweeps, seconds, updates / seconds);
    }
    return 0;
}
