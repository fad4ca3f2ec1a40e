// Overland point sources: at each overland constituent time the water of
// every source since the last one is added to its cell, and the overland
// and infiltration clocks are pulled in so that the new water is routed and
// infiltrated within one overland interval. For Green-Ampt infiltration with
// redistribution, an event driven by point sources alone starts the
// redistribution state here.
#include <cstdio>

#include "core/model_state.h"
#include "overland/overland_steps.h"

namespace
{

constexpr double seconds_per_day = 86400.0;

bool fixed_head(const model_state& s, int i)
{
    if (!s.ov_boundary || s.boundary_type.size() < i)
        return false;
    const int t = s.boundary_type[i];
    return t == 2 || t == 3 || t == 9;
}

template <class V> bool sized(const V& v, int n)
{
    return v.size() >= n;
}

// Clears the redistribution state once for the event and, in long-term
// runs, recomputes each cell's initial water content from its soil water.
void init_redistribution(model_state& s)
{
    const int n = s.num_cells;
    s.redist_initialised = 1;
    for (ivec* flags : {&s.iter_pond_1, &s.iter_n, &s.no_wat_prof, &s.iter_i_less_k})
        if (sized(*flags, n))
            for (int i = 1; i <= n; ++i)
                (*flags)[i] = 0;
    for (dvec* values : {&s.redist_aux, &s.event_inf_depth, &s.inf_depth_mark})
        if (sized(*values, n))
            for (int i = 1; i <= n; ++i)
                (*values)[i] = 0.0;
    if (!sized(s.dist_init_moisture, n))
        return;
    const double area = s.gridsize * s.gridsize;
    if (s.long_term && sized(s.soil_water_top, n) && sized(s.soil_depth, n) && sized(s.dist_porosity, n) &&
        sized(s.dist_resid_sat, n)) {
        for (int i = 1; i <= n; ++i) {
            const double phi = s.dist_porosity[i];
            const double thr = s.dist_resid_sat[i];
            double theta = phi;
            const double depth = s.soil_depth[i] < s.top_layer_depth ? s.soil_depth[i] : s.top_layer_depth;
            if (s.soil_depth[i] > 1e-16 && depth > 1e-16)
                theta = s.soil_water_top[i] / depth;
            if (theta < thr || theta > phi) {
                std::printf("cell: %d  thi: %lf  thr: %lf   phi: %lf\n", i, theta, thr, phi);
                if (theta < thr) {
                    theta = thr + 0.01;
                    std::printf("Problem initializing inf_redist in main loop, thi<thr at grid cell %d, "
                                "increasing it to %lf\n",
                                i, theta);
                } else {
                    theta = phi - 0.01;
                    std::printf("Problem initializing inf_redist in main loop, thi>phi at grid cell %d, "
                                "decreasing it to %lf\n",
                                i, theta);
                }
            }
            s.dist_init_moisture[i] = theta;
            if (!s.gw_simulation && sized(s.unsat_down_flux, n)) {
                s.unsat_down_flux_total += s.unsat_down_flux[i] / 100.0 * area;
                s.unsat_down_flux[i] = 0.0;
            }
            if (sized(s.direct_evap, n)) {
                s.direct_evap_total += s.direct_evap[i] / 100.0 * area;
                s.direct_evap[i] = 0.0;
            }
        }
    }
    for (dvec* theta : {&s.redist_theta_1, &s.redist_theta_2})
        if (sized(*theta, n))
            for (int i = 1; i <= n; ++i)
                (*theta)[i] = s.dist_init_moisture[i];
}

} // namespace

void ov_point_source_step(model_state& s)
{
    if (!s.ov_con_trans || !s.ov_point_source)
        return;
    if (!(s.contam_next - s.current_time < s.time_tol))
        return;
    const int n = s.num_cells;
    const double elapsed = (s.current_time - s.contam_last) * seconds_per_day;
    const double area = s.gridsize * s.gridsize;
    if (n > 0 && sized(s.ov_point_q, n) && sized(s.ov_depth, n) && area > 0.0) {
        double added = 0.0;
        double to_head = 0.0;
        for (int i = 1; i <= n; ++i) {
            const double vol = elapsed * s.ov_point_q[i];
            if (vol == 0.0)
                continue;
            if (fixed_head(s, i))
                to_head += vol; // the fixed head keeps the cell's depth
            else
                s.ov_depth[i] += vol / area;
            added += vol;
        }
        s.head_bc_out_total += to_head;
        s.ov_point_vol += added;
        s.ov_point_vol_total += added;
    }

    const double soon = s.current_time + s.ov_dt_days;
    if (s.ov_next > soon) {
        s.ov_next = soon;
        if (s.ov_last > s.current_time)
            s.ov_last = s.current_time;
    }
    if (s.inf_next > soon) {
        s.inf_next = soon;
        if (s.inf_last > s.current_time)
            s.inf_last = s.current_time;
        if (s.inf_redist && !s.redist_initialised)
            init_redistribution(s);
    }
}
