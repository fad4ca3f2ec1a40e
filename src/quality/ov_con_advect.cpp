// Advection and dispersion of one dissolved constituent over the overland
// cells: two directional predictor-corrector sweeps. Each face flux is
// computed once, by the cell below or to the right of it, into the face
// array; every cell then gathers its own two faces, so no loop writes into a
// neighbour. The negative mass clipped is summed per block of cells and the
// blocks are added in order, so the total does not depend on the threads.
#include <algorithm>

#include "core/parallel.h"
#include "quality/ov_contam.h"

namespace
{

struct sweep_dir {
    const int* up;   // upstream neighbour: above (y) or left (x)
    const int* down; // downstream neighbour: below (y) or right (x)
    const double* q; // discharge of the upstream cell through this face
};

// Flux (g/s, positive into j) through the upstream face of cell j, from the
// concentrations c.
inline double face_flux(const ov_advect_view& v, const sweep_dir& d, const double* c, int j)
{
    const int u = d.up[j];
    if (u <= 0)
        return 0.0;
    const double q = d.q[u];
    if (v.lake_of) {
        const int lj = v.lake_of[j];
        const int lu = v.lake_of[u];
        if (lj != 0 || lu != 0) {
            // Lake faces carry advection only, with the lake's concentration
            // on its side; between two lakes, or next to a cell excluded
            // from the lakes, nothing moves.
            if ((lj != 0 && lu != 0) || lj < 0 || lu < 0)
                return 0.0;
            const double cu = lu > 0 ? v.lake_conc[lu] : c[u];
            const double cj = lj > 0 ? v.lake_conc[lj] : c[j];
            return q >= 0.0 ? q * cu : q * cj;
        }
    }
    const double hj = v.depth[j];
    const double hu = v.depth[u];
    double fd = 0.0;
    if (hj > ov_zero && hu > ov_zero)
        fd = std::min(v.disp[j] * hj, v.disp[u] * hu) * (c[u] - c[j]);
    const double fa = q >= 0.0 ? q * c[u] : q * c[j];
    return fd + fa;
}

inline bool updated(const ov_advect_view& v, int j)
{
    return !v.lake_of || v.lake_of[j] == 0;
}

double sweep(double dt, const ov_advect_view& v, const sweep_dir& d)
{
    const int n = v.n;
    const double area = v.dx * v.dx;
    double* face = v.face;
    double* mp = v.mass_pred;
    double* cp = v.conc_pred;
    const bool par = n >= parallel_min_cells;

    // Predictor.
#pragma omp parallel for schedule(static) if (par)
    for (int j = 1; j <= n; ++j)
        face[j] = face_flux(v, d, v.conc, j);
#pragma omp parallel for schedule(static) if (par)
    for (int j = 1; j <= n; ++j) {
        if (!updated(v, j)) {
            mp[j] = v.mass[j];
            cp[j] = v.conc[j];
            continue;
        }
        const int dn = d.down[j];
        const double out = dn > 0 ? face[dn] : 0.0;
        const double m = v.mass[j] + dt * (face[j] - out + 0.5 * v.source[j]);
        mp[j] = m;
        const double h = v.depth[j];
        cp[j] = h >= ov_zero && m >= 0.0 ? m / (h * area) : 0.0;
    }
    // Corrector: each face flux becomes the mean of both estimates.
#pragma omp parallel for schedule(static) if (par)
    for (int j = 1; j <= n; ++j)
        face[j] = 0.5 * (face[j] + face_flux(v, d, cp, j));

    // Update, summing the clipped mass per block.
    const int blocks = (n + ov_sum_block - 1) / ov_sum_block;
#pragma omp parallel for schedule(static) if (par)
    for (int b = 0; b < blocks; ++b) {
        const int lo = b * ov_sum_block + 1;
        const int hi = std::min(n, lo + ov_sum_block - 1);
        double negative = 0.0;
        for (int j = lo; j <= hi; ++j) {
            if (!updated(v, j))
                continue;
            const int dn = d.down[j];
            const double out = dn > 0 ? face[dn] : 0.0;
            const double m = v.mass[j] + dt * (face[j] - out + 0.5 * v.source[j]);
            const double h = v.depth[j];
            if (m < 0.0) {
                negative -= m;
                v.mass[j] = 0.0;
                v.conc[j] = 0.0;
            } else {
                // A dry cell keeps its balance (handed on by the mass
                // step) with no concentration.
                v.mass[j] = m;
                v.conc[j] = h >= ov_zero ? m / (h * area) : 0.0;
            }
        }
        v.blocks[b].negative = negative;
    }
    double negative = 0.0;
    for (int b = 0; b < blocks; ++b)
        negative += v.blocks[b].negative;

    // What crossed a lake face goes into (or comes out of) the lake.
    if (v.lake_of && v.lake_inflow)
        for (int j = 1; j <= n; ++j) {
            const int u = d.up[j];
            if (u <= 0)
                continue;
            const int lj = v.lake_of[j];
            const int lu = v.lake_of[u];
            if ((lj > 0) == (lu > 0) || lj < 0 || lu < 0)
                continue;
            if (lj > 0)
                v.lake_inflow[lj] += face[j] * dt;
            else
                v.lake_inflow[lu] -= face[j] * dt;
        }
    return negative;
}

} // namespace

double ov_con_advect(double dt, const ov_advect_view& v, int sweep_order)
{
    const sweep_dir y{v.abovecon, v.belowcon, v.qy};
    const sweep_dir x{v.leftcon, v.rightcon, v.qx};
    double negative = 0.0;
    if (sweep_order == 1) {
        negative += sweep(dt, v, y);
        negative += sweep(dt, v, x);
    } else {
        negative += sweep(dt, v, x);
        negative += sweep(dt, v, y);
    }
    return negative;
}
