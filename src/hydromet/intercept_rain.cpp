// Interception of the gross rain by the canopy: the storage left fills
// first, then a fixed fraction of the rest is held back.
#include <algorithm>

#include "hydromet/rain_services.h"

double seasonal_canopy_factor(const interception_season& s)
{
    if (!s.seasonal_rs)
        return 1.0;
    const int m = s.month;
    if (s.spring > 0) {
        if (m <= s.spring || m >= s.fall)
            return 4.0;
        if (m > s.spring && m < s.summer_start)
            return 4.0 - 3.0 * static_cast<double>(static_cast<float>(m - s.spring)) /
                             static_cast<double>(static_cast<float>(s.summer_start - s.spring));
        if (m > s.summer_end && m < s.fall)
            return 1.0 + 3.0 * static_cast<double>(static_cast<float>(m - s.summer_end)) /
                             static_cast<double>(static_cast<float>(s.fall - s.summer_end));
        return 1.0;
    }
    const bool north = s.latitude >= 37.0;
    switch (m) {
    case 4:
        return north ? 4.0 : 2.5;
    case 5:
        return north ? 3.0 : 1.0;
    case 6:
        return north ? 2.0 : 1.0;
    case 7:
    case 8:
    case 9:
        return 1.0;
    case 10:
        return 2.5;
    default:
        return 4.0;
    }
}

void intercept_rain(int num_cells, double t, const dvec& capacity, const dvec& coefficient,
                    const dvec& gross_rate, dvec& net_rate, dvec& held, double& total, double dx,
                    const interception_season& season, int chan_lakes, const ivec& lake_mask)
{
    const double g = seasonal_canopy_factor(season);
    const int n = std::min(
        {num_cells, capacity.size(), coefficient.size(), gross_rate.size(), net_rate.size(), held.size()});
    const bool lakes = chan_lakes && lake_mask.size() >= n;
    for (int i = 1; i <= n; ++i) {
        const double p = gross_rate[i];
        if (p < 0.0) {
            net_rate[i] = 0.0;
            continue;
        }
        if (lakes && lake_mask[i] != 0) {
            net_rate[i] = p;
            continue;
        }
        const double cap = capacity[i] / g;
        const double c = coefficient[i] / g;
        const double room = std::max(cap - held[i], 0.0);
        const double depth = p * t / 3600.0; // mm
        double caught = 0.0;
        if (room > depth) {
            net_rate[i] = 0.0;
            caught = depth;
        } else if (room > 0.0) {
            net_rate[i] = (1.0 - c) * (depth - room) * 3600.0 / t;
            caught = room + c * (depth - room);
        } else {
            net_rate[i] = (1.0 - c) * p;
            caught = c * depth;
        }
        held[i] += caught;
        total += caught * dx * dx / 1000.0;
    }
}
