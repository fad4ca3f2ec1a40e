// The explicit overland scheme next to channel lakes: the faces between a
// cell and a lake move water between the cell's depth and the lake's
// volume, on the slope from the cell's water surface to the lake's stage;
// faces inside a lake carry nothing. Depth over the cell's ground up to the
// stage carries water out of a lake; the cell's own water carries it in.
#include <cmath>
#include <cstdio>

#include "core/parallel.h"
#include "overland/ov_explicit.h"
#include "overland/surface_state.h"

namespace
{

constexpr double split_depth = 0.06;        // m moved by one face in one sub-step
constexpr double split_negative = -0.0001;  // m
constexpr double smallest_split_dt = 0.005; // s

double clamp_slope(double S)
{
    return std::fabs(S) < 1e-20 ? 1e-20 : S;
}

double signed_manning(double S, double n, double d)
{
    if (d <= 0.0)
        return 0.0;
    const double q = ov_manning(std::fabs(S), n, d);
    return S >= 0.0 ? q : -q;
}

// Cell c beside a lake at stage L on slope S (positive from c to the
// lake); `flood` is the depth of lake water over c's ground. A wetland
// cell on the upper side of the face carries by its own water both ways.
double lake_face(const ov_explicit_grid& g, int c, double S, double flood, const double* h, bool upper)
{
    const int wc = g.wetland ? g.wetland[c] : 0;
    if (wc >= 1) {
        const wetland_rec& w = g.wetlands[wc];
        const double T = w.layer_depth;
        if (h[c] - T > 0.0)
            return wetland_blend(w, S, S >= 0.0 || upper ? h[c] - T : flood - T);
        return w.layer_conductivity * S * h[c];
    }
    const double r = g.retent ? g.retent[c] : 0.0;
    return signed_manning(S, ov_explicit_roughness(g, c, h), S >= 0.0 ? h[c] - r : flood);
}

} // namespace

int clake_sweep(const ov_explicit_grid& g, const clake_view& v, bool right_face, double dt, const double* h,
                double* q, bool quiet, int& too_small)
{
    const int n = g.n;
    const int* down = right_face ? g.right : g.below;
    const int dike_bit = right_face ? 2 : 4;
    const char axis = right_face ? 'x' : 'y';
    const double scale = dt / g.dx;
    int requests = 0;
    int small = too_small;
    q[0] = 0.0;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells) reduction(+ : requests)
    for (int i = 1; i <= n; ++i) {
        const int j = down[i];
        q[i] = 0.0;
        if (j == 0 || (g.dike && (g.dike[i] & dike_bit)))
            continue;
        const int ki = v.lake[i];
        const int kj = v.lake[j];
        if (ki > 0 && kj > 0)
            continue;
        if (ki > 0) {
            // Out of (or into) lake ki across the face to j.
            const double L = v.stage[ki];
            const double S = clamp_slope((v.z[j] + h[j] - L) / g.dx);
            q[i] = -lake_face(g, j, S, L - v.z[j], h, false);
            continue;
        }
        double qi;
        if (kj > 0) {
            const double L = v.stage[kj];
            const double S = clamp_slope((v.z[i] + h[i] - L) / g.dx + 1e-20);
            qi = lake_face(g, i, S, L - v.z[i], h, true);
        } else {
            if (!(g.wetland && g.wetland[i] >= 1) && h[i] < (g.retent ? g.retent[i] : 0.0))
                continue; // cut off below the retention depth, and not tested
            qi = ov_explicit_cell_q(g, i, j, right_face, h);
        }
        q[i] = qi;
        if (small)
            continue;
        const double dh = qi * scale;
        if (std::fabs(dh) >= split_depth || h[i] + dh < split_negative) {
            ++requests;
            if (quiet)
                continue;
            if (std::fabs(dh) > split_depth) {
                std::printf("  ]%c:_U_%2.4lf H%2.4lf Q:%4.2lf dt:%4.2lf j:%d\n", axis, std::fabs(dh), dh, qi, dt, i);
                std::printf("    -> Cell Exceded Celerity Check\n");
            } else {
                std::printf("  ]%c: h+dh < 0.00   (h+dh=%lf)  j:%d\n", axis, h[i] + dh, i);
                std::printf("    -> Outflow Exceeded Water Depth\n");
            }
        }
    }
    if (requests > 0 && dt <= smallest_split_dt) {
        too_small = 1;
        return 0;
    }
    return requests;
}

void clake_book(const ov_explicit_grid& g, const clake_view& v, double dt, const double* h, const double* qx,
                const double* qy)
{
    const double scale = dt * g.dx;
    for (int i = 1; i <= g.n; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int j = k == 0 ? g.right[i] : g.below[i];
            if (j == 0)
                continue;
            const int ki = v.lake[i];
            const int kj = v.lake[j];
            if ((ki > 0) == (kj > 0))
                continue;
            const int c = ki > 0 ? j : i; // the ordinary cell
            const int lake = ki > 0 ? ki : kj;
            const double surface = v.z[c] + h[c];
            const double V = std::fabs(k == 0 ? qx[i] : qy[i]) * scale;
            if (surface > v.stage[lake]) {
                v.volume[lake] += V;
                v.in[lake] += V;
            } else if (surface < v.stage[lake]) {
                v.volume[lake] -= V;
                v.out[lake] += V;
            }
        }
    }
}
