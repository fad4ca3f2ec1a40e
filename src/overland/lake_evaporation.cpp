// Open-water evaporation of the channel lakes over one hour by a
// mass-transfer formula in wind speed and vapour-pressure deficit, then the
// lakes' extent after the loss.
#include <algorithm>
#include <cmath>

#include "core/model_state.h"
#include "overland/lake_files.h"

void lake_evaporation(model_state& s, double wind, double air_temp, double rel_hum)
{
    const double w = wind * 0.001 * 86400.0; // km/day
    const double T = air_temp;
    // Saturation vapour pressure, hPa; the constant 273.3 is the model's own.
    const double e_sat = 6.11 * std::exp(17.3 * T / (T + 273.3));
    double total = 0.0;
    for (int k = 1; k <= s.num_lakes; ++k) {
        const double A = s.lake_area[k];
        const double E = std::pow(std::max(A / 1e6, 1e-6), -0.05) * 0.000169 * w * (1.0 - rel_hum / 100.0) *
                         e_sat / 24.0 * A / 100.0;
        const double taken = s.lake_volume[k] > E ? E : s.lake_volume[k];
        s.lake_volume[k] -= taken;
        s.cumulative_lake_evap[k] += taken;
        total += taken;
    }
    s.lake_evap_total += total;
    lake_extent_fork(s);
}
