// One sub-step of the superlink method: inside every superlink the
// momentum equations of its segments and the continuity equations of its
// nodes reduce, by a forward and a backward recurrence, to two relations
// between its end flows and the heads of its two superjunctions; the
// continuity of the superjunctions then gives one linear system for the new
// heads, and the node depths and segment flows follow from them.
#include <algorithm>
#include <cmath>

#include "channel/superlink_geometry.h"
#include "channel/superlink_matrix.h"
#include "channel/superlink_solver.h"
#include "core/model_state.h"

namespace
{

constexpr double g = gravity;

// Segment geometry, velocities and the coefficients of both recurrences.
void link_recurrences(model_state& s, superlink_solver_work& w, int l, double dtau)
{
    const int N = s.superlink_cnodes[l];
    double* y = s.slink_node_depth[l];
    const double* dx = s.dxc[l];
    const double* D = s.diameter[l];
    const double* Wd = s.width[l];
    const int* sec = s.sec_type[l];
    double *A = w.A[l], *B = w.top_width[l], *P = w.wet_per[l], *R = w.hyd_R[l];
    double *v = w.l_veloc[l], *ld = w.ldepth[l], *Q = w.Q[l], *u = w.n_veloc[l];
    double *a = w.a[l], *b = w.b[l], *c = w.c[l], *Pm = w.P[l], *Dc = w.D[l], *E = w.E[l];

    for (int k = 1; k <= N + 1; ++k)
        y[k] = std::max(y[k], 1e-4);
    for (int i = 1; i <= N; ++i) {
        ld[i] = (y[i] + y[i + 1]) / 2.0;
        section_geom geo;
        if (ld[i] < D[i]) {
            superlink_section_geom(D[i], y[i], Wd[i], sec[i], geo);
        } else {
            // A full segment keeps the area and perimeter of its own section
            // and a narrow slot as its top width.
            superlink_section_geom(D[i], D[i], Wd[i], sec[i], geo);
            geo.top_width = 0.01 * D[i];
        }
        A[i] = geo.area;
        B[i] = geo.top_width;
        P[i] = geo.wet_per;
        v[i] = A[i] > 0.0 ? Q[i] / A[i] : 0.0;
        R[i] = P[i] > 0.0 ? A[i] / P[i] : 0.0;
    }
    section_geom end;
    superlink_section_geom(D[N], y[N + 1], Wd[N], sec[N], end);
    w.A_dn[l] = end.area;

    u[1] = v[1];
    u[N + 1] = v[N];
    for (int k = 2; k <= N; ++k)
        u[k] = (dx[k - 1] * v[k - 1] + dx[k] * v[k]) / (dx[k - 1] + dx[k]);

    const double* n = s.M_n[l];
    const double* S0 = s.S0[l];
    for (int i = 1; i <= N; ++i) {
        a[i] = u[i] > 0.0 ? -u[i] : 0.0;
        c[i] = u[i + 1] < 0.0 ? u[i + 1] : 0.0;
        // Friction by Manning. A segment has no contraction (its loss
        // coefficient is 1 over its own area), so it adds no contraction
        // loss: a loss of two velocity heads in every segment would make a
        // uniform pipe run above normal depth, the more the finer it is cut.
        const double q = std::fabs(Q[i]);
        b[i] = g * n[i] * n[i] * q * dx[i] / (std::pow(R[i], 4.0 / 3.0) * A[i]) + dx[i] / dtau - a[i] - c[i];
        Pm[i] = g * A[i] * S0[i] * dx[i] + dx[i] * Q[i] / dtau;
    }
    const double* As = s.As[l];
    const double* qn = s.Q_node[l];
    for (int k = 1; k <= N + 1; ++k) {
        const double bk = k <= N ? B[k] * dx[k] / 2.0 : 0.0;
        const double bp = k >= 2 ? B[k - 1] * dx[k - 1] / 2.0 : 0.0;
        E[k] = (bk + bp + As[k]) / dtau;
        Dc[k] = E[k] * y[k] + qn[k];
    }

    double *T = w.T[l], *U = w.U[l], *V = w.V[l], *Wf = w.W[l];
    T[1] = a[1] + b[1] + c[1];
    U[1] = (E[2] * c[1] - g * A[1]) / T[1];
    V[1] = (Pm[1] - Dc[2] * c[1]) / T[1];
    Wf[1] = g * A[1] / T[1];
    for (int i = 2; i <= N; ++i) {
        const double G = g * A[i] - E[i] * a[i];
        const double H = U[i - 1] - E[i];
        T[i] = a[i] + b[i] + c[i] - G / H;
        U[i] = (E[i + 1] * c[i] - g * A[i]) / T[i];
        V[i] = (Dc[i] * a[i] + Pm[i] - Dc[i + 1] * c[i] - G * (Dc[i] + V[i - 1]) / H) / T[i];
        Wf[i] = -G * Wf[i - 1] / (H * T[i]);
    }
    double *O = w.O[l], *X = w.X[l], *Y = w.Y[l], *Z = w.Z[l];
    O[N] = a[N] + b[N] + c[N];
    X[N] = (g * A[N] - E[N] * a[N]) / O[N];
    Y[N] = (Dc[N] * a[N] + Pm[N]) / O[N];
    Z[N] = -9.81 * A[N] / O[N];
    for (int i = N - 1; i >= 1; --i) {
        const double K = g * A[i] - E[i + 1] * c[i];
        const double M = E[i + 1] + X[i + 1];
        O[i] = a[i] + b[i] + c[i] + K / M;
        X[i] = (g * A[i] - E[i] * a[i]) / O[i];
        Y[i] = (Dc[i] * a[i] + Pm[i] - Dc[i + 1] * c[i] - (Dc[i + 1] - Y[i + 1]) * K / M) / O[i];
        Z[i] = K * Z[i + 1] / (M * O[i]);
    }
}

// Critical and normal depth of a pipe for an end flow; false after a
// failure that stops the run (a box that does not converge only warns).
bool end_depths(const model_state& s, superlink_solver_work& w, int l, int pipe, double q)
{
    const int sec = s.sec_type[l][pipe];
    const double D = s.diameter[l][pipe], W = s.width[l][pipe];
    const int rn =
        superlink_norm_calc(sec, D, W, s.M_n[l][pipe], std::fabs(q), std::fabs(s.S0[l][pipe]), w.yn);
    const int rc = superlink_crit_calc(sec, D, W, std::fabs(q), w.yc);
    return rc == 0 && (rn == 0 || sec == 3);
}

// End conditions y = kappa H + lambda + mu Q at both ends, then the link
// coefficients Q_1 = alpha_up H_us + beta_up H_ds + chi_up and the same for
// Q_N.
bool link_ends(model_state& s, superlink_solver_work& w, int l)
{
    const int N = s.superlink_cnodes[l];
    const double Hus = s.sjunc_head[s.us_sjunc[l]], Hds = s.sjunc_head[s.ds_sjunc[l]];
    const double zup = s.slink_zinv_up[l], zdn = s.slink_zinv_dn[l];
    bool ok = end_depths(s, w, l, 1, w.Q_up[l]);
    const double qu = w.Q_up[l];
    if (qu >= 0.0 || w.yc <= Hus - zup) {
        w.kappa_up[l] = 1.0, w.lambda_up[l] = -zup, w.mu_up[l] = 0.0;
    } else {
        w.kappa_up[l] = 0.0, w.lambda_up[l] = 0.0;
        w.mu_up[l] = std::fabs(qu) < 1e-11 ? 0.0 : std::min(w.yc, w.yn) / qu;
    }
    ok = end_depths(s, w, l, N, w.Q_dn[l]) && ok;
    const double qd = w.Q_dn[l];
    if (qd <= 0.0 || w.yc <= Hds - zdn) {
        w.kappa_dn[l] = 1.0, w.lambda_dn[l] = -zdn;
        const double cn = w.C[l][N + 1];
        const double den = 2.0 * g * cn * cn * w.A_dn[l] * w.A_dn[l];
        w.mu_dn[l] = std::fabs(den) > 1e-9 ? std::fabs(qd) / den : 0.0;
    } else {
        w.kappa_dn[l] = 0.0, w.lambda_dn[l] = 0.0;
        w.mu_dn[l] = std::fabs(qd) < 1e-11 ? 0.0 : std::min(w.yc, w.yn) / qd;
    }

    const double X1 = w.X[l][1], Y1 = w.Y[l][1], Z1 = w.Z[l][1];
    const double UN = w.U[l][N], VN = w.V[l][N], WN = w.W[l][N];
    const double ku = w.kappa_up[l], lu = w.lambda_up[l], mu = w.mu_up[l];
    const double kd = w.kappa_dn[l], ld = w.lambda_dn[l], md = w.mu_dn[l];
    const double det = (1.0 - md * UN) * (1.0 - mu * X1) - (mu * Z1) * (md * WN);
    const double K1 = lu * X1 + Y1 + ld * Z1;
    const double K2 = lu * WN + VN + ld * UN;
    w.alpha_up[l] = ((1.0 - md * UN) * X1 * ku + md * WN * Z1 * ku) / det;
    w.beta_up[l] = Z1 * kd / det;
    w.chi_up[l] = (K1 * (1.0 - UN * md) + K2 * Z1 * md) / det;
    w.alpha_dn[l] = WN * ku / det;
    w.beta_dn[l] = ((1.0 - mu * X1) * UN * kd + mu * WN * Z1 * kd) / det;
    w.chi_dn[l] = (K2 * (1.0 - mu * X1) + K1 * WN * mu) / det;
    return ok;
}

// The continuity of every superjunction over the sub-step, written through
// add(i, j, v) into the dense or the banded form.
template <class Add> void junction_matrix(model_state& s, superlink_solver_work& w, double dtau, Add add)
{
    const int J = s.num_sjunc;
    for (int j = 1; j <= J; ++j) {
        if (s.bound[j]) {
            add(j, j, 1.0);
            w.F_rhs[j] = w.fixed_head[j];
        } else {
            add(j, j, s.sjunc_area[j] / dtau);
            w.F_rhs[j] = s.sjunc_area[j] * s.sjunc_head[j] / dtau;
            if (s.sjunc_inlet_type[j] < 888)
                w.F_rhs[j] += s.sjunc_flow[j];
        }
    }
    for (int m = 1; m <= s.num_slink; ++m) {
        const int up = s.us_sjunc[m], dn = s.ds_sjunc[m];
        if (!s.bound[dn]) {
            add(dn, dn, -w.beta_dn[m]);
            add(dn, up, -w.alpha_dn[m]);
            w.F_rhs[dn] += w.chi_dn[m];
        }
        // A superlink whose two ends are one superjunction counts only as
        // arriving there.
        if (up != dn && !s.bound[up]) {
            add(up, up, w.alpha_up[m]);
            add(up, dn, w.beta_up[m]);
            w.F_rhs[up] -= w.chi_up[m];
        }
    }
}

// New heads from the junction matrix; false after a zero row (run stopped).
bool solve_heads(model_state& s, superlink_solver_work& w, double dtau)
{
    const int J = s.num_sjunc;
    superlink_lu_work& lu = w.lu;
    if (lu.band >= 0) {
        std::fill(lu.ab.data(), lu.ab.data() + static_cast<size_t>(J + 1) * (3 * lu.band + 2), 0.0);
        junction_matrix(s, w, dtau, [&](int i, int j, double v) { superlink_band_at(lu, i, j) += v; });
        std::copy(w.F_rhs.data(), w.F_rhs.data() + J + 1, lu.rhs.data());
        if (superlink_band_factor(lu, J) != 0)
            return false;
        superlink_band_solve(lu, J);
    } else {
        std::fill(w.F.data(), w.F.data() + static_cast<size_t>(J + 1) * (J + 1), 0.0);
        junction_matrix(s, w, dtau, [&](int i, int j, double v) { w.F[i][j] += v; });
        std::copy(w.F.data(), w.F.data() + static_cast<size_t>(J + 1) * (J + 1), lu.a.data());
        std::copy(w.F_rhs.data(), w.F_rhs.data() + J + 1, lu.rhs.data());
        if (ludcmp_rqx(lu, J) != 0)
            return false;
        superlink_lu_solve(lu, J);
    }
    return true;
}

// New end flows and depths of a superlink from the new heads, then its
// interior depths and flows.
void back_substitute(model_state& s, superlink_solver_work& w, int l)
{
    const int N = s.superlink_cnodes[l];
    const double Hus = s.sjunc_head[s.us_sjunc[l]], Hds = s.sjunc_head[s.ds_sjunc[l]];
    const double qu = w.alpha_up[l] * Hus + w.beta_up[l] * Hds + w.chi_up[l];
    const double qd = w.alpha_dn[l] * Hus + w.beta_dn[l] * Hds + w.chi_dn[l];
    w.Q_up[l] = qu;
    w.Q_dn[l] = qd;
    double* y = s.slink_node_depth[l];
    double* Q = w.Q[l];
    y[1] = w.kappa_up[l] * Hus + w.mu_up[l] * qu + w.lambda_up[l];
    y[N + 1] = w.kappa_dn[l] * Hds + w.mu_dn[l] * qd + w.lambda_dn[l];
    Q[1] = qu;
    Q[N] = qd;
    const double *X = w.X[l], *Y = w.Y[l], *Z = w.Z[l], *U = w.U[l], *V = w.V[l], *W = w.W[l];
    const double* D = s.diameter[l];
    for (int i = N; i >= 2; --i) {
        double yi = (Q[i] - Y[i] - Z[i] * y[N + 1]) / X[i];
        if (yi > 10.0 * D[i] || yi < -10.0 * D[i])
            yi = 0.0;
        if (yi < 0.0)
            yi = 1e-4;
        y[i] = yi;
        if (i > 2)
            Q[i - 1] = U[i - 1] * yi + V[i - 1] + W[i - 1] * y[1];
    }
}

} // namespace

bool superlink_substep(model_state& s, double dtau, superlink_call_totals& tot)
{
    superlink_solver_work& w = s.superlink_work;
    bool ok = true;
    for (int l = 1; l <= s.num_slink; ++l) {
        link_recurrences(s, w, l, dtau);
        ok = link_ends(s, w, l) && ok;
    }
    if (!solve_heads(s, w, dtau))
        return false;
    const int J = s.num_sjunc;
    const superlink_lu_work& lu = w.lu;
    for (int j = 1; j <= J; ++j) {
        const double h = lu.rhs[j];
        s.sjunc_head[j] = h < s.sjunc_invert_elev[j] - 0.001 ? s.sjunc_invert_elev[j] : h;
    }
    for (int l = 1; l <= s.num_slink; ++l)
        back_substitute(s, w, l);

    // Outlets: a 999 superjunction passes what arrives to its channel node,
    // a 888 one releases it onto its cell.
    bool any_999 = false;
    for (int j = 1; j <= J; ++j)
        any_999 = any_999 || s.sjunc_inlet_type[j] == 999;
    const double cell_area = s.gridsize * s.gridsize;
    for (int m = 1; m <= s.num_slink; ++m) {
        const int j = s.ds_sjunc[m];
        const double qd = w.Q_dn[m];
        const double v = dtau * qd;
        if (any_999 && qd > 1e-8)
            s.superlink_chan_flag = 1;
        if (s.sjunc_inlet_type[j] == 999) {
            s.sjunc_to_chan_vol[j] += v;
            s.sjunc_flow[j] -= v;
            tot.vout += v;
        } else if (s.sjunc_inlet_type[j] == 888) {
            const int c = s.superlink_junc_gnum[j];
            s.ov_depth[c] += v / cell_area;
            s.superlink_sjunc_outflow[j] += v;
            s.cell_superlink_vol[c] -= v;
            s.sjunc_flow[j] -= v;
            tot.vout += v;
            if (std::fabs(qd) > 1e-8)
                s.superlink_surcharge_flag = 1;
        }
    }
    return ok;
}
