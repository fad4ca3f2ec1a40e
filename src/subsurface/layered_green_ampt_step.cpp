// Multi-layer Green-Ampt infiltration: the wetting front of each cell moves
// down through the three layers of its soil type; below the first layer
// the capacity uses the harmonic mean conductivity of the wetted layers and
// the capillary head and moisture deficit of the layer that holds the
// front. Centimetres and hours inside; ponded and cumulative depths in
// metres, inf_rate in cm/h.
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "subsurface/infiltration.h"

namespace
{

// What the front sees in the layer that holds it.
struct front_layer {
    double keff; // cm/h
    double psi;  // cm
    double d;    // moisture deficit
};

// A soil or layer content the scheme cannot use: a value that is not a
// number, a negative conductivity or capillary head, a layer of no porosity
// or a water content above its porosity (a negative deficit).
bool unusable(const soil_layer_rec& soil, const double* theta)
{
    for (int k = 0; k < 3; ++k) {
        const double v[] = {soil.hyd_cond[k], soil.cap_head[k], soil.porosity[k], theta[k]};
        for (double x : v)
            if (!std::isfinite(x))
                return true;
        if (soil.hyd_cond[k] < 0.0 || soil.cap_head[k] < 0.0 || soil.porosity[k] <= 0.0 ||
            theta[k] > soil.porosity[k])
            return true;
    }
    return !std::isfinite(soil.depth[0]) || !std::isfinite(soil.depth[1]) || soil.depth[0] < 0.0 ||
           soil.depth[1] < 0.0;
}

} // namespace

double layered_deficit(double porosity, double theta)
{
    const double d = porosity - theta;
    return d == 0.0 ? 0.01 * porosity : d;
}

double layered_keff(const soil_layer_rec& soil, const double* deficit, double f_cm, double front, int* layer)
{
    const double d1 = soil.depth[0], d2 = soil.depth[1];
    const double* k = soil.hyd_cond;
    if (front > d1 + d2) {
        const double w = (f_cm - (d2 * deficit[1] + d1 * deficit[0])) / deficit[2];
        *layer = 3;
        return (d1 + d2 + w) / (d2 / k[1] + d1 / k[0] + w / k[2]);
    }
    if (front > d1) {
        const double w = (f_cm - d1 * deficit[0]) / deficit[1];
        *layer = 2;
        return (w + d1) / (w / k[1] + d1 / k[0]);
    }
    *layer = 1;
    return k[0];
}

bool layered_green_ampt_step(model_state& s, double seconds)
{
    const int n = s.num_cells;
    if (s.ov_depth.size() < n || s.event_inf_depth.size() < n || s.wetdep.size() < n || s.inf_rate.size() < n ||
        s.soiltype.size() < n || s.THETA_ML.rows() < n || s.THETA_ML.cols() < 3) {
        std::printf("Multi-layer Green-Ampt infiltration: the soil arrays are missing\n");
        error_set(err_stop);
        return false;
    }
    const double dt = seconds / 3600.0;
    const double area = s.gridsize * s.gridsize;
    const int* lake = s.chan_lakes && s.lake_mask.size() >= n ? s.lake_mask.data() : nullptr;
    const double* open =
        s.area_reduction_given && s.area_reduction_values.size() >= n ? s.area_reduction_values.data() : nullptr;
    const int* bc = s.ov_boundary && s.boundary_type.size() >= n ? s.boundary_type.data() : nullptr;
    const int* type = s.soiltype.data();
    const soil_layer_rec* types = s.soil_layers.data();
    double* depth = s.ov_depth.data();
    double* cum = s.event_inf_depth.data();
    double* wet = s.wetdep.data();
    double* rate = s.inf_rate.data();
    dmat& theta_ml = s.THETA_ML;

    double head_in = 0.0;
    int bad = INT_MAX;
    int stuck = INT_MAX;
#pragma omp parallel for schedule(static) reduction(+ : head_in) reduction(min : bad, stuck) \
    if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        if (depth[i] < 1e-16 || (lake && lake[i] > 0)) {
            rate[i] = 0.0;
            continue;
        }
        const int t = type[i];
        const double theta[3] = {theta_ml[i][1], theta_ml[i][2], theta_ml[i][3]};
        if (t < 0 || t >= soil_type_count || unusable(types[t], theta)) {
            if (i < bad)
                bad = i;
            continue;
        }
        const soil_layer_rec& soil = types[t];
        const double d1 = soil.depth[0], d2 = soil.depth[1];
        double deficit[3];
        for (int k = 0; k < 3; ++k)
            deficit[k] = layered_deficit(soil.porosity[k], theta[k]);
        const double f_cm = 100.0 * cum[i];
        int layer = 1;
        const double keff = layered_keff(soil, deficit, f_cm, wet[i], &layer);
        const double d = deficit[layer - 1];
        const double sd = d * soil.cap_head[layer - 1];

        double g = f_cm + 0.1;
        double r = sd * std::log((sd + g) / (sd + f_cm)) + keff * dt - g + f_cm;
        int pass = 0;
        while (std::fabs(r) > 1e-4) {
            g -= r / (sd / (sd + g) - 1.0);
            r = sd * std::log((sd + g) / (sd + f_cm)) + keff * dt - g + f_cm;
            if (++pass >= green_ampt_max_passes || !std::isfinite(g)) {
                if (i < stuck)
                    stuck = i;
                break;
            }
        }

        double f = keff * (1.0 + sd / g);
        if (open && open[i] < 1.0)
            f *= open[i];
        const bool held = bc && (bc[i] == 2 || bc[i] == 3 || bc[i] == 9);
        const double supply = 100.0 * depth[i];
        double taken; // cm
        if (supply < f * dt) {
            taken = supply;
            rate[i] = supply / dt;
            wet[i] += taken / d;
            if (held)
                head_in += depth[i] * area;
            else
                depth[i] = 0.0;
        } else {
            taken = f * dt;
            rate[i] = f;
            // The front lies where the booked depth fills the layers: the
            // implicit solution g runs ahead of the capacity at the step's
            // end, and a front ahead of the booked depth would give the
            // next step a negative depth below the first layer.
            const double booked = f_cm + taken;
            double w = booked / deficit[0];
            if (w > d1)
                w = (booked - d1 * deficit[0]) / deficit[1] + d1;
            if (w > d1 + d2)
                w = (booked - (d2 * deficit[1] + d1 * deficit[0])) / deficit[2] + d1 + d2;
            wet[i] = w;
            if (held)
                head_in += taken / 100.0 * area;
            else
                depth[i] -= taken / 100.0;
        }
        cum[i] += taken / 100.0;
    }
    s.head_bc_in_total += head_in;
    if (bad != INT_MAX) {
        const int t = s.soiltype[bad];
        std::printf("Multi-layer Green-Ampt infiltration: cell %d (soil type %d) cannot infiltrate: a layer has a "
                    "negative conductivity or capillary head, no porosity or a water content above its porosity\n",
                    bad, t);
        error_set(err_stop);
        return false;
    }
    if (stuck != INT_MAX) {
        std::printf("Multi-layer Green-Ampt infiltration: no solution in cell %d after %d passes\n", stuck,
                    green_ampt_max_passes);
        error_set(err_stop);
        return false;
    }
    return true;
}
