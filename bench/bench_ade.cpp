// Timed driver of the ADE overland routing on a synthetic sloping grid of
// 1,000 x 1,000 cells. Prints cell updates per second (one cell of one
// directional sweep is one update) at 1, 2, 4 and all threads.
//
//   torva_bench_ade [rows] [cols] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench_grid.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "overland/ade_kernels.h"
#include "overland/overland_steps.h"

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step = 10.0; // overland step, s
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_ade [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_bench_grid(rows, cols, 2);
    const int cores = processor_count();
    std::printf("ADE overland routing, %d x %d cells, %d steps of %.0f s, %d processors\n", rows, cols, steps,
                step, cores);
    std::printf("threads  sweeps  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset_bench_depths(*s, rows, cols);
        ade_state st;
        ade_overland_route(*s, st, step); // first call: whole step, warms the caches
        const long long before = st.sweeps;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < steps; ++k) {
            if (ade_overland_route(*s, st, step) < 0.0)
                return 1;
            s->sweep_order = s->sweep_order == 1 ? 2 : 1;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const long long sweeps = st.sweeps - before;
        const double updates = static_cast<double>(sweeps) * s->num_cells;
        std::printf("%7d %7lld %8.3f %15.3e\n", threads, sweeps, seconds, updates / seconds);
    }
    return 0;
}
