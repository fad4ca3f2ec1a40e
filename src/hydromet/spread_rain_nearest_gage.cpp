// Per-cell rain rate of one period from each cell's nearest gauge.
#include <algorithm>

#include "hydromet/rain_services.h"
#include "core/parallel.h"

void spread_rain_nearest_gage(int period, int num_gages, const ivec& nearest, const row_array<double>& rates,
                              dvec& rain_rate, int num_cells)
{
    const int gauges = std::min(num_gages, rates.count);
    if (gauges < 1 || period < 0 || period > rates.width)
        return;
    const int cells = std::min(num_cells, rain_rate.size());
    double* const* rate_rows = rates.row_table;
    if (gauges == 1) {
        const double v = rate_rows[1][period];
#pragma omp parallel for schedule(static) if (cells >= parallel_min_cells)
        for (int i = 1; i <= cells; ++i)
            rain_rate[i] = v;
        return;
    }
    const int known = std::min(cells, nearest.size());
#pragma omp parallel for schedule(static) if (known >= parallel_min_cells)
    for (int i = 1; i <= known; ++i) {
        const int g = nearest[i];
        rain_rate[i] = g >= 1 && g <= gauges ? rate_rows[g][period] : 0.0;
    }
}
