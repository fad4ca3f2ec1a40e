// The redistribution state of a new event: flags, event depths and the two
// profiles' water contents start afresh. Called by the event start and by
// the overland point sources for an event driven by point sources alone.
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "subsurface/infiltration.h"

namespace
{

template <class V> bool sized(const V& v, int n)
{
    return v.size() >= n;
}

// Initial water content of cell i from the accounting column's top layer;
// a column of no depth has the water table at the surface.
double column_moisture(model_state& s, int i)
{
    const double phi = s.dist_porosity[i];
    const double thr = s.dist_resid_sat[i];
    double theta = phi;
    const double depth = std::fmin(s.soil_depth[i], s.top_layer_depth);
    if (s.soil_depth[i] > 1e-16 && depth > 1e-16)
        theta = s.soil_water_top[i] / depth;
    if (theta < thr || theta > phi)
        std::printf("cell: %d  thi: %lf  thr: %lf   phi: %lf\n", i, theta, thr, phi);
    if (theta < thr) {
        theta = thr + 0.01;
        std::printf("Problem initializing inf_redist in main loop, thi<thr at grid cell %d, increasing it to %lf\n", i,
                    theta);
    }
    if (theta > phi) {
        theta = phi - 0.01;
        std::printf("Problem initializing inf_redist in main loop, thi>phi at grid cell %d, decreasing it to %lf\n",
                    i, theta);
    }
    return theta;
}

// Iteration flags, work value and event depths of every cell back to 0.
void clear_redistribution(model_state& s)
{
    const int n = s.num_cells;
    for (ivec* flags : {&s.iter_pond_1, &s.iter_n, &s.no_wat_prof, &s.iter_i_less_k})
        if (sized(*flags, n))
            for (int i = 1; i <= n; ++i)
                (*flags)[i] = 0;
    for (dvec* values : {&s.redist_aux, &s.event_inf_depth, &s.inf_depth_mark})
        if (sized(*values, n))
            for (int i = 1; i <= n; ++i)
                (*values)[i] = 0.0;
}

// Both profiles start at the initial water content.
void start_profiles(model_state& s)
{
    const int n = s.num_cells;
    for (dvec* theta : {&s.redist_theta_1, &s.redist_theta_2})
        if (sized(*theta, n))
            for (int i = 1; i <= n; ++i)
                (*theta)[i] = s.dist_init_moisture[i];
}

} // namespace

void restart_redistribution(model_state& s)
{
    const int n = s.num_cells;
    clear_redistribution(s);
    if (!sized(s.dist_init_moisture, n) || !sized(s.soil_water_top, n) || !sized(s.soil_depth, n) ||
        !sized(s.dist_porosity, n) || !sized(s.dist_resid_sat, n))
        return;
    for (int i = 1; i <= n; ++i)
        s.dist_init_moisture[i] = column_moisture(s, i);
    start_profiles(s);
}

void reset_redistribution(model_state& s, double* avg_moisture)
{
    const int n = s.num_cells;
    clear_redistribution(s);
    if (avg_moisture)
        *avg_moisture = 0.0;
    if (!sized(s.dist_init_moisture, n))
        return;
    const double area = s.gridsize * s.gridsize;
    if (s.long_term && sized(s.soil_water_top, n) && sized(s.soil_depth, n) && sized(s.dist_porosity, n) &&
        sized(s.dist_resid_sat, n)) {
        double sum = 0.0;
        for (int i = 1; i <= n; ++i) {
            s.dist_init_moisture[i] = column_moisture(s, i);
            if (avg_moisture) {
                sum += s.dist_init_moisture[i] / s.dist_porosity[i];
                if (std::isnan(sum) && !s.calib_mode)
                    std::printf("bad initial value of soil moisture cell %d\n", i);
            }
            if (!s.gw_simulation && sized(s.unsat_down_flux, n)) {
                s.unsat_down_flux_total += s.unsat_down_flux[i] / 100.0 * area;
                s.unsat_down_flux[i] = 0.0;
            }
            if (sized(s.direct_evap, n)) {
                s.direct_evap_total += s.direct_evap[i] / 100.0 * area;
                s.direct_evap[i] = 0.0;
            }
        }
        if (avg_moisture && n > 0)
            *avg_moisture = sum / n;
    }
    start_profiles(s);
}
