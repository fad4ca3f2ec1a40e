// The explicit overland routing next to overland lakes: one pass over the
// whole step, right faces first and then lower faces, each direction
// applied before the next. A face between a cell and a lake moves water
// between the cell's depth and the lake's step inflow, on the slope from
// the cell's water surface to the lake's stage; faces inside a lake carry
// nothing and lake cells keep their depth.
//
// Each face's discharge is computed on its own and the lake volumes are
// then summed in cell order, so the result does not depend on the thread
// count.
#include <cmath>

#include "core/model_state.h"
#include "core/parallel.h"
#include "overland/ov_explicit.h"
#include "overland/surface_state.h"

namespace
{

constexpr double slope_bias = 1e-20;

double clamp_slope(double S)
{
    return std::fabs(S) < 1e-20 ? 1e-20 : S;
}

// Discharge between cell c and a lake on slope S (positive from c to the
// lake), carried by c's own water.
double lake_face_q(const ov_explicit_grid& g, int c, double S, const double* h)
{
    const int wc = g.wetland ? g.wetland[c] : 0;
    if (wc >= 1) {
        const wetland_rec& w = g.wetlands[wc];
        if (h[c] - w.layer_depth > 0.0)
            return wetland_blend(w, S, h[c] - w.layer_depth);
        return w.layer_conductivity * S * h[c];
    }
    const double d = h[c] - (g.retent ? g.retent[c] : 0.0);
    if (d <= 0.0)
        return 0.0;
    const double q = ov_manning(std::fabs(S), ov_explicit_roughness(g, c, h), d);
    return S >= 0.0 ? q : -q;
}


// Face discharges (m2/s) of one direction.
void lake_sweep(const ov_explicit_grid& g, const double* z, const int* lake, const std::vector<ov_lake>& lakes,
                bool right_face, const double* h, double* q)
{
    const int n = g.n;
    const int* down = right_face ? g.right : g.below;
    const int dike_bit = right_face ? 2 : 4;
    q[0] = 0.0;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        const int j = down[i];
        q[i] = 0.0;
        if (j == 0 || (g.dike && (g.dike[i] & dike_bit)))
            continue;
        const int ki = lake[i];
        const int kj = lake[j];
        if (ki > 0 && kj > 0)
            continue;
        if (ki == 0 && kj == 0) {
            q[i] = ov_explicit_cell_q(g, i, j, right_face, h);
        } else if (kj > 0) {
            const double L = lakes[static_cast<size_t>(kj)].stage;
            q[i] = lake_face_q(g, i, clamp_slope((z[i] + h[i] - L) / g.dx + slope_bias), h);
        } else {
            const double L = lakes[static_cast<size_t>(ki)].stage;
            q[i] = -lake_face_q(g, j, clamp_slope((z[j] + h[j] - L) / g.dx - slope_bias), h);
        }
    }
}

// The lakes' share of one direction's faces over dt.
void book_lake_faces(const ov_explicit_grid& g, const int* lake, bool right_face, const double* q, double dt,
                     std::vector<ov_lake>& lakes)
{
    const int* down = right_face ? g.right : g.below;
    const double v = dt * g.dx;
    for (int i = 1; i <= g.n; ++i) {
        const int j = down[i];
        if (j == 0 || q[i] == 0.0)
            continue;
        const int ki = lake[i];
        const int kj = lake[j];
        if (ki == 0 && kj > 0)
            lakes[static_cast<size_t>(kj)].volume_in += q[i] * v;
        else if (ki > 0 && kj == 0)
            lakes[static_cast<size_t>(ki)].volume_in -= q[i] * v;
    }
}

} // namespace

double ov_explicit_cell_q(const ov_explicit_grid& g, int i, int j, bool right_face, const double* h)
{
    if (g.wetland && g.wetland[i] >= 1) {
        bool tested = false;
        return ov_explicit_face_q(g, i, j, right_face, h, tested);
    }
    const double sg = right_face ? g.slope_x[i] : g.slope_y[i];
    const double S = clamp_slope(sg - (h[j] - h[i]) / g.dx + slope_bias);
    const int from = S >= 0.0 ? i : j;
    const double d = h[from] - (g.retent ? g.retent[from] : 0.0);
    if (d <= 0.0)
        return 0.0;
    const double q = ov_manning(std::fabs(S), ov_explicit_roughness(g, i, h), d);
    return S >= 0.0 ? q : -q;
}

ov_explicit_sums olake_explicit_pass(model_state& s, const ov_explicit_grid& g, double step)
{
    const int* lake = s.oland_lake_new.data();
    const double* z = s.ground_elev.data();
    double* h = s.ov_depth.data();
    double* qx = s.ov_qx.data();
    double* qy = s.ov_qy.data();
    ov_explicit_sums sums;
    for (int k = 0; k < 2; ++k) {
        const bool right_face = k == 0;
        double* q = right_face ? qx : qy;
        lake_sweep(g, z, lake, s.oland_lakes, right_face, h, q);
        book_lake_faces(g, lake, right_face, q, step, s.oland_lakes);
        const ov_explicit_sums d =
            ov_explicit_apply(g, step, right_face ? qx : nullptr, right_face ? nullptr : qy, lake, h);
        sums.bc_in += d.bc_in;
        sums.bc_out += d.bc_out;
        sums.cleanup += d.cleanup;
    }
    return sums;
}
