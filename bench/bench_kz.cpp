// Timed driver of the KZ segment sums of one base step on a synthetic grid
// of 1,000 x 1,000 cells cut into 100 square segments with a gap of cells
// outside every segment between them. Prints the time of one
// kz_accumulate_fluxes call and the cells per second at 1, 2, 4 and all
// threads.
//
//   torva_bench_kz [rows] [cols] [calls]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/platform.h"
#include "coupling/kz_data.h"

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int calls = argc > 3 ? std::atoi(argv[3]) : 50;
    if (rows < 1 || cols < 1 || calls < 1) {
        std::printf("usage: torva_bench_kz [rows] [cols] [calls]\n");
        return 1;
    }
    const int n = rows * cols;
    kz_data kz;
    dvec qx, qy;
    ivec right, below;
    kz.seg_map.assign(n, 0);
    qx.assign(n, 0.0);
    qy.assign(n, 0.0);
    right.assign(n, 0);
    below.assign(n, 0);
    const int band_r = rows / 10 > 0 ? rows / 10 : 1;
    const int band_c = cols / 10 > 0 ? cols / 10 : 1;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int i = r * cols + c + 1;
            const bool gap = r % band_r == 0 || c % band_c == 0;
            kz.seg_map[i] = gap ? 0 : (r / band_r) * 10 + c / band_c + 1;
            right[i] = c + 1 < cols ? i + 1 : 0;
            below[i] = r + 1 < rows ? i + cols : 0;
            qx[i] = 1e-3 * (i % 13);
            qy[i] = -1e-3 * (i % 7);
        }
    kz.nseg = 100;
    kz.flux.assign(101, 0.0);
    dnode_mat qp;
    const int cores = processor_count();
    std::printf("KZ segment sums, %d x %d cells, 100 segments, %d calls, %d processors\n", rows, cols, calls,
                cores);
    std::printf("threads  s per call  cells/s\n");
    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        kz_accumulate_fluxes(kz, qx, qy, n, right, below, 0, qp, 10.0);
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < calls; ++k)
            kz_accumulate_fluxes(kz, qx, qy, n, right, below, 0, qp, 10.0);
        const double secs =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / calls;
        std::printf("%7d  %10.4f  %9.3e\n", threads, secs, static_cast<double>(n) / secs);
    }
    return 0;
}
