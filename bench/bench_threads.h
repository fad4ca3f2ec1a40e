// The timing loop shared by the per-cell drivers: the grid size and step
// count from the command line, then one row per thread count (1, 2, 4 and
// every processor when that is another count) of the seconds taken and the
// cell updates per second, one cell of one pass being one update.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/platform.h"

struct bench_run_size {
    int rows = 1000;
    int cols = 1000;
    int steps = 10;
};

// Reads [rows] [cols] [steps]; false, with the usage line printed, when a
// side is below min_side or there is no step.
inline bool read_bench_run_size(int argc, char** argv, const char* program, int min_side,
                                bench_run_size& size)
{
    if (argc > 1)
        size.rows = std::atoi(argv[1]);
    if (argc > 2)
        size.cols = std::atoi(argv[2]);
    if (argc > 3)
        size.steps = std::atoi(argv[3]);
    if (size.rows < min_side || size.cols < min_side || size.steps < 1) {
        std::printf("usage: %s [rows] [cols] [steps]\n", program);
        return false;
    }
    return true;
}

// At each thread count: warm() (untimed: the reset and a first pass that
// warms the caches), then the timed passes pass(0) .. pass(steps - 1).
// Prints the header and one row per count; false as soon as a call fails.
// A pass updates each cell per_cell times (for instance once per constituent).
template <class Warm, class Pass>
bool time_cell_passes(const bench_run_size& size, int cores, Warm&& warm, Pass&& pass, int per_cell = 1)
{
    std::printf("threads  seconds  cell-updates/s\n");
    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        if (!warm())
            return false;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < size.steps; ++k)
            if (!pass(k))
                return false;
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double updates = static_cast<double>(size.rows) * size.cols * size.steps * per_cell;
        std::printf("%7d  %7.3f  %14.3e\n", threads, secs, updates / secs);
    }
    return true;
}
