// The rain gauge nearest to the centre of every cell.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/parallel.h"
#include "hydromet/rain_services.h"

namespace
{

constexpr double search_start = 1.0e6;   // m
constexpr double farthest_gauge = 9.0e5; // m

} // namespace

bool find_neighbor(int num_gages, const imat& mask, const dvec& gage_x, const dvec& gage_y, double north,
                   double west, ivec& nearest, double dx, int rows, int cols)
{
    rows = std::min(rows, mask.rows());
    cols = std::min(cols, mask.cols());
    const int gauges = std::min(num_gages, std::min(gage_x.size(), gage_y.size()));
    const int cells = nearest.size();
    int failed = 0;
    // A thread that meets a failure skips its remaining rows; the failure is
    // reported once, after the loop.
#pragma omp parallel for schedule(static) reduction(| : failed) if (cells >= parallel_min_cells)
    for (int r = 1; r <= rows; ++r) {
        if (failed)
            continue;
        const double y = north - (r - 0.5) * dx;
        for (int c = 1; c <= cols; ++c) {
            const int cell = mask[r][c];
            if (cell <= 0 || cell > cells)
                continue;
            const double x = west + (c - 0.5) * dx;
            double best = search_start;
            for (int g = 1; g <= gauges; ++g) {
                const double ex = gage_x[g] - x;
                const double ey = gage_y[g] - y;
                const double d = std::sqrt(ex * ex + ey * ey);
                if (d < best) {
                    nearest[cell] = g;
                    best = d;
                }
            }
            if (best > farthest_gauge) {
                failed = 1;
                break;
            }
        }
    }
    if (failed) {
        std::printf("Failure to identify closest raingauge in find_neighbor\n");
        std::printf("check rain gage data file, particularly gage coordinates\n");
        error_set(err_stop);
        return false;
    }
    return true;
}
