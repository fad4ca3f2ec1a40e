// Per-cell rain rate of one period, weighting every gauge by the inverse of
// its squared distance to the cell's centre.
#include <algorithm>

#include "hydromet/rain_services.h"
#include "core/parallel.h"

void spread_rain_inverse_distance(double dx, int period, const imat& mask, int num_gages, const dvec& gage_y,
                                  const dvec& gage_x, double north, double west,
                                  const row_array<double>& rates, dvec& rain_rate, int rows, int cols)
{
    rows = std::min(rows, mask.rows());
    cols = std::min(cols, mask.cols());
    const int gauges = std::min(std::min(num_gages, rates.count), std::min(gage_x.size(), gage_y.size()));
    if (gauges < 1 || period < 0 || period > rates.width)
        return;
    const int cells = rain_rate.size();
    double* const* rate_rows = rates.row_table;
#pragma omp parallel for schedule(static) if (cells >= parallel_min_cells)
    for (int r = 1; r <= rows; ++r) {
        const double y = north - (r - 0.5) * dx;
        for (int c = 1; c <= cols; ++c) {
            const int cell = mask[r][c];
            if (cell <= 0 || cell > cells)
                continue;
            if (gauges == 1) {
                rain_rate[cell] = rate_rows[1][period];
                continue;
            }
            const double x = west + (c - 0.5) * dx;
            double weighted = 0.0;
            double weights = 0.0;
            bool inside = false;
            for (int g = 1; g <= gauges && !inside; ++g) {
                const double ex = gage_x[g] - x;
                const double ey = gage_y[g] - y;
                const double d2 = ex * ex + ey * ey;
                // A gauge within one cell size of the centre gives the cell its rate.
                if (d2 < dx * dx || d2 <= 0.0) {
                    rain_rate[cell] = rate_rows[g][period];
                    inside = true;
                } else {
                    weighted += rate_rows[g][period] / d2;
                    weights += 1.0 / d2;
                }
            }
            if (!inside)
                rain_rate[cell] = weighted / weights;
        }
    }
}
