// Depth update of one ADE sweep and the stability pre-check of a sub-step.
#include <cmath>
#include <cstdio>

#include "overland/ade_kernels.h"

ade_sweep_result ade_sweep_update(const ade_grid& g, ade_direction dir, double dt, const double* q,
                                  double* depth, double* change, double* sweep_depth, double* qsum,
                                  double courant)
{
    const int n = g.n;
    const int* up = dir == ade_x ? g.left : g.above;
    const double area = g.dx * g.dx;
    const double scale = dt / area;
    const double limit = 0.5 * courant;
    const int outlet = g.chan_routing ? 0 : g.outlet;

    int status = 0;
    double bc_in = 0.0;
    double bc_out = 0.0;
    double outlet_vol = 0.0;
    double cleanup = 0.0;
#pragma omp parallel if (n >= ade_parallel_cells) reduction(max : status) \
    reduction(+ : bc_in, bc_out, outlet_vol, cleanup)
    {
        int s = 0;
#pragma omp for schedule(static)
        for (int i = 1; i <= n; ++i) {
            if (s == 2 || g.lake_cell(i))
                continue;
            const double net = (q[up[i]] - q[i]) * scale;
            double c = net;
            if (g.block_frac && g.block_frac[i] < 1.0)
                c /= 1.0 - g.block_frac[i];
            change[i] = c;
            if (qsum)
                qsum[i] += dt * q[i];

            if (g.fixed_head(i)) {
                // The cell keeps its depth; what flowed in or out is exchanged
                // with the boundary.
                const double vol = net * area;
                if (i == outlet)
                    outlet_vol += vol;
                else if (vol > 0.0)
                    bc_out += vol;
                else
                    bc_in -= vol;
                sweep_depth[i] = depth[i];
                continue;
            }

            const double before = sweep_depth[i];
            double h = depth[i] + c;
            if (std::isnan(h)) {
                depth[i] = h;
                s = 2;
                continue;
            }
            if (h < 0.0) {
                if (h < -1e-5)
                    s = 2;
                else if (h < -1e-8)
                    s = 1;
                cleanup -= h * area;
                h = 0.0;
            }
            depth[i] = h;
            sweep_depth[i] = h;
            if (s == 0 && std::fabs(c) > before * limit && before > 0.01 && dt > 0.1)
                s = 1;
        }
        status = s;
    }

    ade_sweep_result r;
    r.status = status;
    if (status == 2)
        return r;
    r.bc_in = bc_in;
    r.bc_out = bc_out;
    r.outlet = outlet_vol;
    r.cleanup = cleanup;
    return r;
}

namespace
{

// Smallest water-surface difference taken across a face by the stiffness
// bound, m: below it a face carries too little water to matter.
constexpr double stiff_min_drop = 1e-2;

// How fast the faces of cell i in one direction answer a change of its
// water surface, m2/s: the sum over its upstream and downstream faces of
// dq/d(drop) = |q| / (2 drop) for q proportional to the root of the slope.
inline double face_stiffness(const ade_grid& g, const double* q, const int* up, const int* down,
                             const double* depth, int i)
{
    const double w = depth[i] + g.z[i];
    double k = 0.0;
    const int u = up[i];
    if (u) {
        const double drop = std::fabs(depth[u] + g.z[u] - w);
        k += std::fabs(q[u]) / (2.0 * (drop > stiff_min_drop ? drop : stiff_min_drop));
    }
    const int t = down[i];
    if (t) {
        const double drop = std::fabs(w - depth[t] - g.z[t]);
        k += std::fabs(q[i]) / (2.0 * (drop > stiff_min_drop ? drop : stiff_min_drop));
    }
    return k;
}

} // namespace

ade_stability ade_stability_ratio(const ade_grid& g, const double* q, ade_direction dir, double dt,
                                  const double* depth, double courant)
{
    const int n = g.n;
    const int* up = dir == ade_x ? g.left : g.above;
    const int* down = dir == ade_x ? g.right : g.below;
    const double area = g.dx * g.dx;
    const double scale = dt / area;
    const double limit = 0.25 * courant;
    // An explicit update is stable while dt times the faces' stiffness stays
    // below the cell area; the bound keeps it within half of that, so that
    // a near-level pool (the cells round an outlet) does not ring.
    const double stiff_limit = courant;

    // The largest ratio over the threads; the first cell that reached it is
    // the smallest such cell.
    double worst = 0.0;
    int unstable = 0;
    int green = 0;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells) reduction(max : worst, unstable, green)
    for (int i = 1; i <= n; ++i) {
        if (g.lake_cell(i))
            continue;
        if (g.bc_type) {
            const int t = g.bc_type[i];
            if (t == 2 || t == 3 || t == 4 || t == 5 || t == 9)
                continue;
        }
        const double h = depth[i];
        if (h <= 0.01)
            continue;
        double c = (q[up[i]] - q[i]) * scale;
        if (g.block_frac)
            c = g.block_frac[i] < 1.0 ? c / (1.0 - g.block_frac[i]) : 0.0;
        double ratio = std::fabs(c) / (limit * h);
        if (std::isnan(ratio)) {
            green = 1;
            continue;
        }
        const double stiff = face_stiffness(g, q, up, down, depth, i) * scale / stiff_limit;
        if (stiff > ratio)
            ratio = stiff;
        if (ratio > worst)
            worst = ratio;
        if (dt > 0.1 && ratio > 1.0)
            unstable = 1;
    }
    if (green)
        std::printf("green");

    ade_stability r;
    r.ratio = worst;
    r.unstable = unstable;
    if (worst > 0.0) {
        // The first cell that reached the largest ratio, for the message of
        // a sub-step that falls below the minimum.
        for (int i = 1; i <= n && !r.cell; ++i) {
            if (g.lake_cell(i) || depth[i] <= 0.01)
                continue;
            if (g.bc_type) {
                const int t = g.bc_type[i];
                if (t == 2 || t == 3 || t == 4 || t == 5 || t == 9)
                    continue;
            }
            double c = (q[up[i]] - q[i]) * scale;
            if (g.block_frac)
                c = g.block_frac[i] < 1.0 ? c / (1.0 - g.block_frac[i]) : 0.0;
            double ratio = std::fabs(c) / (limit * depth[i]);
            const double stiff = face_stiffness(g, q, up, down, depth, i) * scale / stiff_limit;
            if (stiff > ratio)
                ratio = stiff;
            if (ratio == worst)
                r.cell = i;
        }
    }
    return r;
}
