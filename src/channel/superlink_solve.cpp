// The pipe-network solver over one pipe-network step: inlets, sub-steps
// within the Courant limit of the pipes, the volume left in the network and
// one row of "superlink_flows.out".
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "channel/superlink_geometry.h"
#include "channel/superlink_matrix.h"
#include "channel/superlink_solver.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

bool make_work(model_state& s)
{
    superlink_solver_work& w = s.superlink_work;
    const int L = s.num_slink, C = s.superlink_node_dim, J = s.num_sjunc;
    try {
        for (dmat* m : {&w.A, &w.top_width, &w.wet_per, &w.hyd_R, &w.l_veloc, &w.ldepth, &w.Q, &w.n_veloc,
                        &w.C, &w.a,         &w.b,       &w.c,     &w.P,       &w.D,      &w.E, &w.T,
                        &w.U, &w.V,         &w.W,       &w.O,     &w.X,       &w.Y,      &w.Z})
            m->assign(L, C, 0.0);
        for (dvec* v :
             {&w.Q_up, &w.Q_dn, &w.A_dn, &w.kappa_up, &w.lambda_up, &w.mu_up, &w.kappa_dn, &w.lambda_dn,
              &w.mu_dn, &w.alpha_up, &w.beta_up, &w.chi_up, &w.alpha_dn, &w.beta_dn, &w.chi_dn})
            v->assign(L, 0.0);
        w.numnodes.assign(L, 0);
        w.fixed_head.assign(J, 0.0);
        w.F_rhs.assign(J, 0.0);
    } catch (const std::bad_alloc&) {
        superlink_lu_failure("allocation failure 2 in matrix()");
        return false;
    }
    w.links = L;
    w.nodes = C;
    // A superlink couples its two superjunctions only: with junctions
    // numbered along the network the matrix is a narrow band, factored in
    // O(J b^2) instead of O(J^3).
    int band = 0;
    for (int l = 1; l <= L; ++l)
        band = std::max(band, std::abs(s.us_sjunc[l] - s.ds_sjunc[l]));
    if (4 * (2 * band + 1) < J)
        return superlink_band_alloc(w.lu, J, band);
    try {
        w.F.assign(J, J, 0.0);
    } catch (const std::bad_alloc&) {
        superlink_lu_failure("allocation failure 2 in matrix()");
        return false;
    }
    w.lu.band = -1;
    return superlink_lu_alloc(w.lu, J);
}

// The network at rest: heads at the inverts, depths 1e-4 m, no flow.
void init_network(model_state& s)
{
    superlink_solver_work& w = s.superlink_work;
    for (int j = 1; j <= s.num_sjunc; ++j) {
        if (s.bound[j])
            w.fixed_head[j] = s.sjunc_invert_elev[j];
        s.sjunc_flow[j] = 0.0;
        s.sjunc_head[j] = s.sjunc_invert_elev[j];
    }
    for (int l = 1; l <= s.num_slink; ++l) {
        const int N = s.superlink_cnodes[l];
        w.numnodes[l] = N;
        w.Q_up[l] = w.Q_dn[l] = 0.0;
        s.slink_zinv_up[l] = s.slink_node_Zinv[l][1];
        s.slink_zinv_dn[l] = s.slink_node_Zinv[l][N + 1];
        for (int k = 1; k <= N + 1; ++k) {
            w.A[l][k] = 0.0;
            s.slink_node_depth[l][k] = 1e-4;
            w.l_veloc[l][k] = 0.0;
            w.top_width[l][k] = 0.0;
            s.Q_node[l][k] = 0.0;
            w.Q[l][k] = 0.0;
            w.C[l][k] = 1.0;
        }
    }
}

// Smallest travel time of a gravity wave plus the flow over a segment, s.
double courant_limit(const model_state& s)
{
    const superlink_solver_work& w = s.superlink_work;
    double pc = 100000.0;
    for (int l = 1; l <= s.num_slink; ++l) {
        const int N = s.superlink_cnodes[l];
        for (int k = 1; k <= N + 1; ++k) {
            const double den = std::sqrt(gravity * w.ldepth[l][k]) + std::fabs(w.n_veloc[l][k]);
            if (den <= 0.0)
                continue;
            const double t = s.dxc[l][k] / den;
            if (t > 1e-8)
                pc = std::min(pc, t);
        }
    }
    return pc;
}

} // namespace

double superlink_first_substep(double pc, double dt)
{
    if (pc > 1e-8 && pc < dt)
        return pc < 1.0 ? std::min(dt, 1.0) : pc;
    return dt;
}

double superlink_substep_length(double dtau, double tau, double dt)
{
    // Less than half a sub-step left over joins the last one.
    return dt - (tau + dtau) < dtau / 2.0 ? dt - tau : dtau;
}

double superlink_network_volume(const model_state& s)
{
    const superlink_solver_work& w = s.superlink_work;
    double v = 0.0;
    for (int l = 1; l <= s.num_slink; ++l) {
        const int N = s.superlink_cnodes[l];
        for (int k = 1; k <= N; ++k)
            v += s.slink_node_depth[l][k] * s.As[l][k] + s.dxc[l][k] * w.A[l][k];
    }
    // Water standing in the manholes; outlets hold their fixed head.
    for (int j = 1; j <= s.num_sjunc; ++j)
        if (!s.bound[j])
            v += s.sjunc_area[j] * std::max(s.sjunc_head[j] - s.sjunc_invert_elev[j], 0.0);
    return v;
}

int superlink_solve(model_state& s, int call, double dt, double& captured)
{
    superlink_call_totals tot;
    if (call == 0) {
        if (!file_rec_open(s.superlink_flows_file, "superlink_flows.out", "w")) {
            std::printf("Can't open file superlink_flows.out'\n");
            return -9;
        }
        std::fprintf(s.superlink_flows_file.fp, "Call# VtoSL VtoTORVA   QtoSL    QtoTORVA \n");
    }
    if (s.superlink_work.links != s.num_slink || s.superlink_work.lu.n != s.num_sjunc || call == 0) {
        if (!make_work(s))
            return -1;
        init_network(s);
    }
    if (call == 1)
        s.superlink_storage_volume = superlink_network_volume(s);
    const double pc = call == 0 ? 100000.0 : courant_limit(s);

    superlink_surface_inlets(s, dt, tot);

    bool ok = true;
    if (dt - 1e-16 > 0.0) {
        const double dtau = superlink_first_substep(pc, dt);
        for (double tau = 0.0; tau < dt - 1e-16;) {
            const double step = superlink_substep_length(dtau, tau, dt);
            if (!superlink_substep(s, step, tot)) {
                if (run_stopped())
                    return -1; // the junction matrix failed
                ok = false;
            }
            tau += step;
            ++s.superlink_work.substeps;
        }
    }

    s.superlink_volume_remaining = superlink_network_volume(s);
    if (s.tile_drains == 1)
        for (int l = 1; l <= s.num_slink; ++l)
            for (int k = 1; k <= s.nnodes[l]; ++k)
                s.superlink_tile_flow[l][k] = 0.0;
    for (int j = 1; j <= s.num_sjunc; ++j)
        if (s.sjunc_inlet_type[j] > 10 && dt > 0.0)
            s.sjunc_flow[j] /= dt;
    captured += tot.captured;
    if (s.superlink_flows_file.fp) {
        const double rate = dt > 0.0 ? 1.0 / dt : 0.0;
        std::fprintf(s.superlink_flows_file.fp, "%d %8.3lf %8.3lf %8.3lf %8.3lf \n", call, tot.vin, tot.vout,
                     tot.vin * rate, tot.vout * rate);
    }
    return ok ? 0 : -1;
}
