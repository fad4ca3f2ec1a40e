// The Richards soil columns over one model step: each column runs adaptive
// sub-steps of the head-form Richards equation, implicit in the heads. Ponded
// water enters at the top through a flux boundary, or through a head
// boundary once the soil cannot take the supply; long-term runs evaporate
// and take up water by roots; water drains at the bottom freely or against
// the water table. Hours and centimetres inside; ponded depths and the
// returned evaporation in metres.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/richards_layer.h"
#include "subsurface/soil_properties.h"
#include "subsurface/soil_tables.h"

void tridiag_solve(int first, int m, double* a, double* b, double* c, double* d)
{
    for (int i = first + 1; i <= m; ++i) {
        const double f = c[i] / b[i - 1];
        b[i] -= f * a[i - 1];
        d[i] -= f * d[i - 1];
    }
    d[m] /= b[m];
    for (int i = m - 1; i >= first; --i)
        d[i] = (d[i] - a[i] * d[i + 1]) / b[i];
}

double richards_first_substep(double dtr, double step, double h1)
{
    const double s = std::min(dtr, step);
    return s > 0.001 && h1 >= 1e-16 ? 0.001388888888888889 : s; // 5 s, in hours
}

namespace
{

constexpr double capped_substep = 0.02; // h

bool held_cell(const model_state& s, int k)
{
    if (!s.ov_boundary || s.boundary_type.size() < k)
        return false;
    const int t = s.boundary_type[k];
    return t == 2 || t == 3 || t == 9;
}

// Share of the root uptake a node gives at content theta: none at the
// wilting point, all from field capacity.
double stress_factor(double theta, double wp, double fc)
{
    if (theta >= fc)
        return 1.0;
    if (theta <= wp)
        return 0.0;
    return (theta - wp) / (fc - wp);
}

// The column of one cell in hand: its rows of the node matrices.
struct column {
    int n;
    double *h, *th, *kr, *cap, *q, *src, *ks, *dz, *ths, *thr, *wp, *fc;
};

column column_of(model_state& s, int k)
{
    return {s.numcells[k], s.PHEAD[k],  s.THETA[k], s.KHEAD[k],  s.WATCAP[k], s.WATFLUX[k],
            s.SOURCE[k],   s.KS[k],     s.DZ[k],    s.THETAS[k], s.THETAR[k], s.THETAWP[k],
            s.THETAFC[k]};
}

// What one cell's sub-steps need from the run.
struct run_settings {
    int model, k_option, upper, iter_max;
    double weight, dtheta_max;
    bool table, long_term;
};

// Interface conductivities K(l - 1/2), l = 1..n.
void interface_conductivities(const column& c, const run_settings& rs, bool ponded, double* kif)
{
    int from = 1;
    if (ponded) {
        if (rs.upper == 2) {
            kif[1] = 1.0;
            from = 2;
        } else {
            c.kr[0] = rs.upper == 3 ? 1.0 : c.kr[1];
        }
    }
    for (int l = from; l <= c.n; ++l) {
        if (rs.k_option == 1)
            kif[l] = c.ks[l] * ((1.0 - rs.weight) * c.kr[l] + rs.weight * c.kr[l - 1]);
        else
            kif[l] = c.ks[l] * std::sqrt(c.kr[l - 1] * c.kr[l]);
    }
}

// Builds and solves the implicit system of nodes 1..n-1 over a sub-step of
// s hours from the heads hs at its start; the new heads go to the column.
// False when the solution failed (a NaN, or a wet node with an absurd head).
bool solve_heads(const column& c, const run_settings& rs, const double* kif, const double* hs, double s, double h0,
                 double* a, double* b, double* cc, double* d)
{
    const int m = c.n - 1;
    for (int l = 1; l <= m; ++l) {
        const double dl = c.dz[l];
        const double dp = (c.dz[l] + c.dz[l + 1]) / 2.0;
        const double dm = (c.dz[l] + c.dz[l - 1]) / 2.0;
        a[l] = -kif[l + 1] / (dl * dp);
        cc[l] = -kif[l] / (dl * dm);
        b[l] = kif[l + 1] / (dl * dp) + c.cap[l] / s + kif[l] / (dl * dm);
        d[l] = c.cap[l] * hs[l] / s - kif[l + 1] / dl + kif[l] / dl + c.src[l];
    }
    d[1] -= cc[1] * h0;
    if (rs.table) {
        d[m] -= a[m] * c.h[c.n];
    } else {
        b[m] += a[m];
        a[m] = 0.0;
    }
    tridiag_solve(1, m, a, b, cc, d);
    bool ok = true;
    for (int l = 1; l <= m; ++l) {
        if (std::isnan(d[l])) {
            ok = false;
            continue;
        }
        c.h[l] = d[l];
        if (c.h[l] < -1e7 && c.th[l] > 0.95 * c.ths[l])
            ok = false;
    }
    if (!rs.table)
        c.h[c.n] = c.h[m];
    return ok;
}

// Fluxes q_l across the interfaces, downward positive; the lowest node
// whose flux is not a number, or 0.
int interface_fluxes(const column& c, const double* kif)
{
    int bad = 0;
    for (int l = 1; l <= c.n; ++l) {
        c.q[l] = kif[l] * (1.0 - (c.h[l] - c.h[l - 1]) / ((c.dz[l - 1] + c.dz[l]) / 2.0));
        if (std::isnan(c.q[l]) && bad == 0)
            bad = l;
    }
    return bad;
}

void refresh_properties(model_state& s, int k, int model)
{
    if (model == 1)
        brooks_corey_props(s, k);
    else if (model == 2)
        havercamp_props(s, k);
}

// A flux that is not a number prints the marker "three", a water content
// "two"; then the run stops naming the column and the node.
void stop_on_nan(int cell, int node, const char* what)
{
    std::printf("%s\n", std::strcmp(what, "flux") == 0 ? "three" : "two");
    std::printf("Error: the Richards column of cell %d has a %s that is not a number at node %d.\n", cell, what,
                node);
    error_set(err_stop);
}

} // namespace

double richards_solve(model_state& s, double dt_seconds)
{
    const double step = dt_seconds / 3600.0;
    // A step of no length solves nothing and keeps every column's sub-step.
    if (!(step > 0.0))
        return 0.0;
    const run_settings rs{s.richards_c_option,   s.richards_k_option,          s.richards_upper_option,
                          s.richards_iter_max,   s.richards_weight,            s.richards_dtheta_max,
                          s.water_table != 0,    s.long_term != 0};
    const int cells = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.chan_lakes && s.lake_mask.size() >= cells;
    const bool frozen = s.long_term && s.cfgi.size() >= cells;
    const bool recharge_out = s.unsat_down_flux.size() >= cells;
    const bool recharge_gw = s.soil_recharge_gw.size() >= cells;
    const bool pond_evap = s.direct_evap.size() >= cells;
    // The soil constituent step moves its top layer's constituents with the
    // water that left that layer.
    const bool layer_flux =
        s.soil_con_trans && s.soil_flux_bottom.size() >= cells && s.mixing_layer_depth > 0.0;
    double* a = s.A.data();
    double* b = s.B.data();
    double* cc = s.C.data();
    double* d = s.D.data();
    double* hs = s.PHEADOLD.data();
    double* ths_start = s.theta_start.data();
    double* kif = s.k_interface.data();
    double* hp = s.phead_iter.data();

    double evap = 0.0;      // m summed over cells
    double exfil_evap = 0.0; // ponded evaporation of exfiltrating cells, m
    for (int k = 1; k <= cells; ++k) {
        if ((frozen && s.cfgi[k] > 83.0) || (lakes && s.lake_mask[k] > 0))
            continue;
        const double root = s.long_term && s.root_depth.size() >= k ? 100.0 * s.root_depth[k] : 0.0;
        const double demand = s.long_term && s.pet_rate.size() >= k && s.rain_rate[k] <= 0.0 ? 3600.0 * s.pet_rate[k]
                                                                                               : 0.0; // cm/h
        const bool held = held_cell(s, k);
        double& depth = s.ov_depth[k];
        if (s.yes_exfil[k] == 1) {
            if (s.long_term) {
                const double gone = std::min(demand * step, 100.0 * depth); // cm
                if (pond_evap)
                    s.direct_evap[k] += gone;
                exfil_evap += gone / 100.0;
                if (held)
                    s.head_bc_in_total += gone / 100.0 * area;
                else
                    depth -= gone / 100.0;
            }
            continue;
        }
        column c = column_of(s, k);
        if (c.n < 2)
            continue;
        const richards_cut cut =
            layer_flux ? richards_layer_cut(c.dz, c.n, s.mixing_layer_depth) : richards_cut{};
        double sub = richards_first_substep(s.dtr[k], step, c.h[1]);
        double next = sub;
        double left = step;
        int& state = s.bound_type[k];
        while (left > 1e-16) {
            for (int l = 0; l <= c.n; ++l) {
                hs[l] = c.h[l];
                ths_start[l] = c.th[l];
                c.src[l] = 0.0;
            }
            c.h[0] = 0.0;
            c.th[0] = c.th[1];

            double supply = 100.0 * depth - demand * sub; // cm
            if (s.long_term) {
                if (supply < 0.0) {
                    const double pond = 100.0 * depth;
                    if (pond_evap)
                        s.direct_evap[k] += pond;
                    evap += pond / 100.0;
                    const double et = s.et_rate.size() >= k ? s.et_rate[k] : 0.0;
                    supply = -(sub - pond / demand) * 3600.0 * et;
                } else {
                    if (pond_evap)
                        s.direct_evap[k] += demand * sub;
                    evap += demand * sub / 100.0;
                }
            }

            // Upper boundary of the sub-step.
            bool flux = false;
            double h0 = 0.0;
            if (state == 2) {
                if (supply > 1e-16) {
                    h0 = supply - c.dz[0] / 2.0;
                } else if (c.h[1] < 0.0) {
                    flux = true;
                } else {
                    h0 = -c.dz[0] / 2.0;
                }
            } else if (state == 3) {
                h0 = -c.dz[0] / 2.0;
            } else {
                flux = true;
            }
            double uptake = 0.0;
            if (flux) {
                if (supply < 0.0) {
                    if (root > 1e-16) {
                        double covered = 0.0;
                        for (int l = 1; l <= c.n - 1 && covered < root; ++l) {
                            c.src[l] = supply / (sub * root) * stress_factor(c.th[l], c.wp[l], c.fc[l]);
                            uptake += c.src[l] * c.dz[l];
                            covered += c.dz[l];
                        }
                    }
                } else {
                    c.src[1] = supply / (left * c.dz[1]);
                    state = 1;
                }
            }
            c.h[0] = h0;

            const int passes = state == 2 || state == 3 ? 5 : rs.iter_max;
            double measure = 0.0;
            bool capped = false;
            double largest = 1e-4;
            for (int l = 0; l <= c.n; ++l)
                hp[l] = c.h[l];
            for (int pass = 1; pass <= passes && (pass == 1 || measure > 0.1); ++pass) {
                interface_conductivities(c, rs, state == 2, kif);
                const double ktop = kif[1];
                if (flux)
                    kif[1] = 0.0;
                bool ok = solve_heads(c, rs, kif, hs, sub, h0, a, b, cc, d);
                kif[1] = ktop;
                int bad = interface_fluxes(c, kif);
                if (flux) {
                    if (c.dz[1] * c.src[1] > c.q[1] || !ok) {
                        // The soil cannot take the supply: ponded head.
                        flux = false;
                        state = 2;
                        h0 = supply - c.dz[0] / 2.0;
                        c.h[0] = h0;
                        c.src[1] = 0.0;
                        for (int l = 1; l <= c.n; ++l)
                            c.h[l] = hs[l];
                        solve_heads(c, rs, kif, hs, sub, h0, a, b, cc, d);
                        bad = interface_fluxes(c, kif);
                    } else {
                        c.q[1] = c.dz[1] * c.src[1];
                        c.src[1] = 0.0;
                    }
                }
                if (bad) {
                    stop_on_nan(k, bad, "flux");
                    return evap;
                }
                if (c.q[1] > 0.0 && supply < c.q[1] * sub) {
                    c.q[1] = std::max(supply / sub, 0.0);
                    capped = true;
                }
                largest = 1e-4;
                for (int l = 1; l <= c.n - 1; ++l) {
                    const double dth = ((c.q[l] - c.q[l + 1]) / c.dz[l] + c.src[l]) * sub;
                    c.th[l] += dth;
                    if (std::isnan(c.th[l])) {
                        stop_on_nan(k, l, "water content");
                        return evap;
                    }
                    c.th[l] = std::max(c.th[l], c.thr[l]);
                    largest = std::max(largest, std::fabs(dth));
                }
                c.th[0] = c.th[1];
                if (!rs.table)
                    c.th[c.n] = c.th[c.n - 1];
                next = sub * rs.dtheta_max / largest;
                if (capped)
                    next = std::min(next, capped_substep);

                // Heads and contents agree: contents follow heads at and
                // beside saturation, heads follow contents elsewhere.
                for (int l = 1; l <= c.n - 1; ++l) {
                    const bool wet = c.th[l] >= c.ths[l] || c.th[l - 1] >= c.ths[l - 1] || c.th[l + 1] >= c.ths[l + 1];
                    if (l == 1 && capped && c.th[1] < 0.999999 * c.ths[1] && c.h[1] >= 0.0)
                        head_from_moisture(s, k, 1, rs.model);
                    else if (wet)
                        moisture_from_head(s, k, l, rs.model);
                    else
                        head_from_moisture(s, k, l, rs.model);
                }
                if (!rs.table) {
                    c.h[c.n] = c.h[c.n - 1];
                    c.th[c.n] = c.th[c.n - 1];
                }
                refresh_properties(s, k, rs.model);

                // Largest relative head change of the pass, in percent.
                measure = 0.0;
                for (int l = 1; l <= c.n - 1; ++l) {
                    if (c.h[l] != 0.0)
                        measure = std::max(measure, std::fabs((c.h[l] - hp[l]) / c.h[l]) * 100.0);
                    hp[l] = c.h[l];
                }
                if (pass < passes && measure > 0.1) {
                    for (int l = 0; l <= c.n; ++l) {
                        c.h[l] = hs[l];
                        c.th[l] = ths_start[l];
                    }
                    c.h[0] = h0;
                }
            }

            double r = c.q[1]; // cm/h
            if (supply <= 0.0) {
                if (held)
                    s.head_bc_in_total += depth * area;
                else
                    depth = 0.0;
                state = 1;
                if (r < 0.0)
                    r = uptake;
            } else {
                const double rest = depth - (r + demand) * sub / 100.0;
                if (rest > 1e-16) {
                    if (held)
                        s.head_bc_in_total += (depth - rest) * area;
                    else
                        depth = rest;
                    if (r + demand > 0.0)
                        next = std::min(next, 100.0 * rest / (r + demand));
                } else if (held) {
                    s.head_bc_in_total += depth * area;
                } else {
                    if (c.th[1] == c.ths[1] && state == 2) {
                        state = 3;
                        next = std::min(next, capped_substep);
                    } else {
                        state = 1;
                    }
                    depth = 0.0;
                }
            }
            s.inf_rate[k] = r;
            if (r >= 0.0)
                s.event_inf_depth[k] += r * sub / 100.0;
            else
                evap -= r * sub / 100.0;
            s.inf_rich[k] += r * sub / 100.0;
            const double out = c.q[c.n] * sub;
            if (recharge_out)
                s.unsat_down_flux[k] += out;
            if (recharge_gw)
                s.soil_recharge_gw[k] += out;
            if (layer_flux)
                s.soil_flux_bottom[k] += richards_cut_flux(c.q, c.dz, c.n, cut) * sub;

            ++s.richards_substeps;
            left -= sub;
            if (left > 1e-16) {
                const double cap = std::min(step, next);
                sub = left < cap || left - cap < 1e-8 ? left : cap;
            }
        }
        s.dtr[k] = next;
    }
    return evap + exfil_evap;
}
