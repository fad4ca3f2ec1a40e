// First-order decay of a dissolved constituent in the channels and lakes:
// the mass that decays over the kinetics sub-step, accumulated until the
// routing step takes it as a loss.
#include <algorithm>

#include "core/model_state.h"
#include "quality/chan_route_sources.h"

bool chan_con_decay(model_state& s, int i, double dt)
{
    bool area_ok = true;
    double* mass = s.chan_mass[i];
    const double* conc = s.chan_conc[i];
    const double* k = s.chan_node_decay[i];
    for (int l = s.num_links; l >= 1; --l) {
        const int t = s.ltype[l];
        if (t & 64)
            continue;
        if (t & 32) {
            const int lake = l <= s.lake2link.size() ? s.lake2link[l] : 0;
            if (s.chan_lakes && lake >= 1 && lake <= s.num_lakes)
                s.lake_decay_mass[i][lake] +=
                    s.lake_conc[i][lake] * s.lake_volume[lake] * s.lake_decay_coef[i][lake] * dt;
            continue;
        }
        if ((t & 128) && (t & (4 | 8 | 16)))
            continue;
        const int base = s.node_dim * l;
        const double dx = s.link_dx[l];
        for (int n = 1; n <= s.nx[l]; ++n) {
            const double a = s.area[n][l], a0 = s.area_old[n][l];
            if (a < 0.0 || a0 < 0.0)
                area_ok = false;
            const double V = std::min(a, a0) * dx;
            if (V >= 1e-16)
                mass[base + n] += V * conc[base + n] * k[base + n] * dt;
        }
    }
    return area_ok;
}
