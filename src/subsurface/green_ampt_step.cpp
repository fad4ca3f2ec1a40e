// Plain Green-Ampt infiltration: each cell's cumulative depth F of the event
// grows by the implicit Green-Ampt solution over the step, limited by the
// water ponded on the cell. Metres and seconds; inf_rate in cm/h.
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "subsurface/infiltration.h"

namespace
{

// A cell the first pass cannot use: a parameter that is not a number, a
// negative conductivity or suction term (initial water content above the
// porosity). Such a cell would make the Newton iteration diverge.
bool unusable(double k, double psi_dtheta)
{
    return !std::isfinite(k) || !std::isfinite(psi_dtheta) || k < 0.0 || psi_dtheta < 0.0;
}

// psi_dtheta of every cell; returns the lowest cell refused, or INT_MAX.
int fill_psi_dtheta(model_state& s)
{
    const int n = s.num_cells;
    double* psi = s.psi_dtheta.data();
    const double* hc = s.dist_cap_head.data();
    const double* por = s.dist_porosity.data();
    const double* th0 = s.dist_init_moisture.data();
    const double* ks = s.dist_ksat.data();
    int bad = INT_MAX;
#pragma omp parallel for schedule(static) reduction(min : bad) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        psi[i] = hc[i] * (por[i] - th0[i]);
        if (unusable(ks[i], psi[i]) && i < bad)
            bad = i;
    }
    return bad;
}

bool arrays_ready(const model_state& s)
{
    const int n = s.num_cells;
    return s.psi_dtheta.size() >= n && s.dist_cap_head.size() >= n && s.dist_porosity.size() >= n &&
           s.dist_init_moisture.size() >= n && s.dist_ksat.size() >= n && s.event_inf_depth.size() >= n &&
           s.inf_rate.size() >= n && s.ov_depth.size() >= n;
}

} // namespace

bool green_ampt_step(model_state& s, double dt)
{
    const int n = s.num_cells;
    if (!arrays_ready(s)) {
        std::printf("Green-Ampt infiltration: the soil parameter arrays are missing\n");
        error_set(err_stop);
        return false;
    }
    if (!s.psi_dtheta_ready) {
        const int bad = fill_psi_dtheta(s);
        if (bad != INT_MAX) {
            std::printf("Green-Ampt infiltration: cell %d cannot infiltrate: conductivity %g m/s, capillary head "
                        "%g m, porosity %g, initial water content %g\n",
                        bad, s.dist_ksat[bad], s.dist_cap_head[bad], s.dist_porosity[bad],
                        s.dist_init_moisture[bad]);
            error_set(err_stop);
            return false;
        }
        s.psi_dtheta_ready = 1;
    }

    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.chan_lakes && s.lake_mask.size() >= n;
    const bool reduce = s.area_reduction_given && s.area_reduction_values.size() >= n;
    const bool head_bc = s.ov_boundary && s.boundary_type.size() >= n;
    const double* psi = s.psi_dtheta.data();
    const double* ks = s.dist_ksat.data();
    const int* lake = lakes ? s.lake_mask.data() : nullptr;
    const double* open = reduce ? s.area_reduction_values.data() : nullptr;
    const int* bc = head_bc ? s.boundary_type.data() : nullptr;
    double* depth = s.ov_depth.data();
    double* cum = s.event_inf_depth.data();
    double* rate = s.inf_rate.data();

    double head_in = 0.0;
    int stuck = INT_MAX;
#pragma omp parallel for schedule(static) reduction(+ : head_in) reduction(min : stuck) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        if (depth[i] < 1e-16) {
            rate[i] = 0.0;
            depth[i] = 0.0;
            continue;
        }
        if (lake && lake[i] > 0) {
            rate[i] = 0.0;
            continue;
        }
        const double f0 = cum[i];
        const double sd = psi[i];
        const double k = ks[i];
        double g = f0 + 0.001;
        int pass = 0;
        for (;;) {
            const double r = sd * std::log((g + sd) / (f0 + sd)) + k * dt - g + f0;
            g -= r / (sd / (g + sd) - 1.0);
            ++pass;
            if (std::fabs(r) <= 1e-6)
                break;
            if (pass >= green_ampt_max_passes || !std::isfinite(g)) {
                if (i < stuck)
                    stuck = i;
                break;
            }
        }
        double f = g > 1e-16 ? k * (1.0 + sd / g) : k;
        if (open)
            f *= open[i];
        const bool held = bc && (bc[i] == 2 || bc[i] == 3 || bc[i] == 9);
        double taken;
        if (depth[i] <= f * dt) {
            taken = depth[i];
            f = depth[i] / dt;
        } else {
            taken = f * dt;
        }
        if (held)
            head_in += taken * area;
        else
            depth[i] = taken == depth[i] ? 0.0 : depth[i] - taken;
        cum[i] += f * dt;
        rate[i] = f * 360000.0;
    }
    s.head_bc_in_total += head_in;
    if (stuck != INT_MAX) {
        std::printf("Green-Ampt infiltration: no solution in cell %d after %d passes\n", stuck,
                    green_ampt_max_passes);
        error_set(err_stop);
        return false;
    }
    return true;
}
