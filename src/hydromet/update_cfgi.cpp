// Continuous frozen-ground index: grows with cold air, decays with warm
// air, damped by the insulation of the snow cover. Lake cells keep theirs.
#include <cmath>

#include "core/model_state.h"
#include "hydromet/hmet_reader_state.h"
#include "hydromet/hmet_services.h"

namespace
{

constexpr double cfgi_decay = 0.99875;
constexpr double cfgi_snow_frozen = 86.0; // under any snow with SNOW_NO_INFILTRATE

double mean24(const double* v)
{
    double sum = 0.0;
    for (int k = 0; k < 24; ++k)
        sum += v[k];
    return sum / 24.0;
}

} // namespace

void update_cfgi(model_state& s)
{
    const int n = s.num_cells;
    const bool lakes_ov = s.overland_lake_on && s.oland_lake_new.size() >= n;
    const bool lakes_ch = s.chan_lakes && s.lake_mask.size() >= n;
    const double m1 = mean24(s.orog_hourly[0]);
    const double m2 = mean24(s.orog_hourly[1]);
    // The reference elevation is the reader's: gauge A with the orographic
    // file, HMET_ELEV_GAGE with a lapse rate.
    const double e1 = s.hmet_orog_gages_given ? s.orog_elev_a : s.hmet_elev_gage;
    const double e2 = s.orog_elev_b;
    const bool orog = orog_hmet_on(s);
    for (int i = 1; i <= n; ++i) {
        double t = m1;
        if (s.hmet_ascii) {
            t = s.hmet_cell_temp[i];
            if (hmet_no_data(t)) // no temperature: the index stays
                continue;
        }
        else if (orog && s.hmet_orog_gages_given && e2 != e1)
            t = m1 + (m2 - m1) / ((e2 - e1) / 1000.0) * ((s.ground_elev[i] - e1) / 1000.0);
        else if (orog)
            t = m1 + (s.ground_elev[i] - e1) / 1000.0 * s.hmet_lapse_rate;
        if ((lakes_ov && s.oland_lake_new[i] > 0) || (lakes_ch && s.lake_mask[i] > 0))
            continue;
        const double snow_cm = s.snow_swe.size() >= n ? s.snow_swe[i] * 100.0 : 0.0;
        if (s.snow_no_infiltrate && snow_cm > 1e-16) {
            s.cfgi[i] = cfgi_snow_frozen;
            continue;
        }
        const double k = t < 0.0 ? 0.08 : 0.5;
        const double v = s.cfgi[i] * cfgi_decay - std::exp(-0.4 * k * snow_cm) * t;
        s.cfgi[i] = v < 0.0 ? 0.0 : v;
    }
}
