// Gathers the radar values into the per-cell rain rate.
#include <algorithm>
#include <cstdio>

#include "hydromet/rain_services.h"
#include "hydromet/rainfall_state.h"

int apply_radar_grid(const radar_grid& r, dvec& rain_rate)
{
    const int total = r.rows * r.cols;
    const int n = std::min(r.num_cells, std::min(rain_rate.size(), r.torva_to_precip.size()));
    double peak = 0.0;
    for (int i = 1; i <= n; ++i) {
        const int p = r.torva_to_precip[i];
        if (p < 0 || p >= total || static_cast<std::size_t>(p) >= r.precip_data.size()) {
            std::printf("Error: cellnum=%d, totcells=%d\n", p, total);
            return -1;
        }
        const double v = r.precip_data[static_cast<std::size_t>(p)];
        rain_rate[i] = v > 0.0 ? v : 0.0;
        if (rain_rate[i] > peak)
            peak = rain_rate[i];
    }
    std::printf("Peak rainfall applied to watershed: %lf mm/hr\n", peak);
    return 0;
}
