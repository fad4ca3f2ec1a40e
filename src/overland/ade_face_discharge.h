// Discharge of one face in full: embankments, lakes, wetlands, blocked
// sides and flow through the snowpack, and the plain Manning face of a grid
// that has none of them.
#pragma once

#include <algorithm>
#include <cmath>

#include "overland/ade_kernels.h"
#include "overland/surface_state.h"

// rho g / mu of water near freezing, 1/(m s).
constexpr double ade_darcy_factor = 5489647.45;

// Discharge from cell i to its downstream neighbour t (negative toward i).
inline double ade_face_discharge(const ade_grid& g, const double* depth, int i, int t, int dike_bit, int side_i,
                             int side_t)
{
    if (t == 0)
        return 0.0;
    if (g.dike && (g.dike[i] & dike_bit))
        return 0.0;

    double u = depth[i];
    double v = depth[t];
    if (g.snow_stat) {
        if (g.snow_swe[i] > 1e-16)
            u /= g.snow_stat[i * g.snow_stride + 10];
        if (g.snow_swe[t] > 1e-16)
            v /= g.snow_stat[t * g.snow_stride + 10];
    }
    u += g.z[i];
    v += g.z[t];
    // A lake cell's water surface is its lake's stage.
    if (g.olake) {
        const int ki = g.olake[i];
        const int kt = g.olake[t];
        if (ki > 0) {
            if (kt > 0)
                return 0.0;
            u = g.olakes[ki].stage;
        }
        if (kt > 0)
            v = g.olakes[kt].stage;
    }
    if (g.clake) {
        const int ki = g.clake[i];
        const int kt = g.clake[t];
        if (ki > 0 && kt > 0)
            return 0.0;
        if (ki > 0)
            u = g.lake_elev[ki];
        if (kt > 0)
            v = g.lake_elev[kt];
    }

    const double slope = (u - v) / g.dx;
    if (std::fabs(slope) < 1e-16)
        return 0.0;

    double blocked = 0.0;
    if (g.side_block)
        blocked =
            std::max(g.side_block[t * g.side_stride + side_t], g.side_block[i * g.side_stride + side_i]);

    // Flow depth of the upstream cell above its ground and retention.
    const bool downhill = slope > 0.0;
    const int f = downhill ? i : t;
    const double sign = downhill ? 1.0 : -1.0;
    const wetland_rec* wet = g.wetland && g.wetland[f] > 0 ? &g.wetlands[g.wetland[f]] : nullptr;
    double d = (downhill ? u : v) - g.z[f];
    if (!wet && g.retent)
        d -= g.retent[f];
    if (d < 1e-16)
        return 0.0;

    // A wetland's porous layer carries a linear flow below its top.
    double layer = 0.0;
    if (wet) {
        if (d <= wet->layer_depth)
            return d * slope * wet->layer_conductivity * g.dx;
        layer = wet->layer_depth * slope * wet->layer_conductivity * g.dx;
        d -= wet->layer_depth;
    }

    double vel;
    if (g.snow_stat && g.snow_swe[f] > 1e-16) {
        // Darcy flow through the snowpack.
        vel = g.snow_darcy_f >= 1e-16 ? g.snow_darcy_f * slope
                                      : g.snow_stat[f * g.snow_stride + 20] / 10000.0 * ade_darcy_factor * slope;
    } else if (!wet) {
        vel = sign * ade_cbrt(d * d) * std::sqrt(std::fabs(slope)) / ade_cell_roughness(g, f, depth[f]);
    } else {
        vel = sign * ade_cbrt(d * d) * std::sqrt(std::fabs(slope)) / wet->wetland_roughness;
        if (d < wet->transition_depth) {
            const double r = d / wet->transition_depth;
            vel = (1.0 - r) * slope * wet->surface_conductivity + vel * r;
        }
    }
    return (vel * d * g.dx + layer) * (1.0 - blocked);
}

// The embankment bit of a cell on its downstream face in a direction, and
// the blocked sides of the cell and of its downstream neighbour (1 top,
// 2 right, 3 bottom, 4 left).
struct ade_face_sides {
    int dike_bit;
    int side_i;
    int side_t;
};

inline ade_face_sides ade_face_sides_of(ade_direction dir)
{
    return dir == ade_x ? ade_face_sides{2, 2, 4} : ade_face_sides{4, 3, 1};
}

// The same discharge, the face's sides given by its direction.
inline double ade_face_discharge(const ade_grid& g, const double* depth, int i, int t,
                                 const ade_face_sides& sides)
{
    return ade_face_discharge(g, depth, i, t, sides.dike_bit, sides.side_i, sides.side_t);
}

// The same discharge on a plain grid (no embankments, lakes, wetlands, snow,
// blocked sides or depth-dependent roughness), written with selects instead
// of jumps. It divides by the cell size and the roughness as the full face
// does: the same bits, so the sub-step control takes the same decisions.
inline double ade_plain_face(const ade_grid& g, const double* depth, int i, int t)
{
    const double u = depth[i] + g.z[i];
    const double v = depth[t] + g.z[t];
    const double slope = (u - v) / g.dx;
    const bool downhill = slope > 0.0;
    const int f = downhill ? i : t;
    const double d = (downhill ? u : v) - g.z[f] - (g.retent ? g.retent[f] : 0.0);
    const double a = std::fabs(slope);
    const double sign = downhill ? 1.0 : -1.0;
    const double dd = d > 1e-16 ? d : 1.0; // keeps the root finite where the face is dry
    const double q = sign * ade_cbrt(dd * dd) * std::sqrt(a) / g.rough[f] * dd * g.dx;
    return (t != 0 && a >= 1e-16 && d >= 1e-16) ? q : 0.0;
}
