// Green-Ampt infiltration with redistribution: while the supply stays below
// the conductivity every drop soaks in and the upper wetting profile
// redistributes downwards (its water content th0 falls); when the supply
// exceeds the conductivity a saturated profile forms, on top of the old one
// when there is one, and the two merge once the supply drops again. Metres
// and seconds; inf_rate in cm/h.
//
// Per-cell state: event_inf_depth F, redist_theta_1 th0 (upper profile),
// redist_aux Fp (depth held by the older profile), redist_theta_2 (surface
// water content reported to the rest of the model), the step numbers
// iter_pond_1, iter_n, iter_i_less_k and the profile state no_wat_prof
// (0 one profile, 1 a saturated profile on top, 2 two profiles).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "subsurface/infiltration.h"

namespace
{

constexpr double shape_factor = 1.0; // p of the redistribution equations

// The soil of one cell as the scheme needs it.
struct gar_soil {
    double ks, psi, ths, thr, lam, thi;
};

// A cell whose parameters cannot give a profile: not a number, a negative
// conductivity or capillary head, a pore-size index that is not positive,
// or an initial content outside [residual, porosity] (the effective
// saturation would leave [0, 1] and its powers would not be numbers).
bool unusable(const gar_soil& c)
{
    for (double v : {c.ks, c.psi, c.ths, c.thr, c.lam, c.thi})
        if (!std::isfinite(v))
            return true;
    return c.ks < 0.0 || c.psi < 0.0 || c.lam <= 0.0 || !(c.thr < c.ths) || c.thi < c.thr || c.thi > c.ths;
}

// Change of th0 over dt of an upper profile holding fp metres under a
// supply of r m/s (0 when it redistributes without supply). A profile
// holding no water (fp = 0, after a negative-depth reset) has no content
// above the initial one: th0 goes back to thi.
double redistribute(const gar_soil& c, double th0, double fp, double r, double dt)
{
    if (fp <= 0.0)
        return c.thi;
    const double range = c.ths - c.thr;
    const double sei = (c.thi - c.thr) / range;
    const double se0 = (th0 - c.thr) / range;
    const double kexp = 3.0 + 2.0 / c.lam;
    const double gexp = 3.0 + 1.0 / c.lam;
    const double sei_g = std::pow(sei, gexp);
    const double g = sei < 1.0 ? c.psi * (std::pow(se0, gexp) - sei_g) / (1.0 - sei_g) : c.psi;
    const double dth = th0 - c.thi;
    th0 += (r - c.ks * std::pow(sei, kexp) - c.ks * std::pow(se0, kexp) - shape_factor * c.ks * g * dth / fp) *
           dth * dt / fp;
    return std::min(std::max(th0, c.thi), c.ths);
}

struct gar_arrays {
    const double *ks, *psi, *ths, *thr, *lam, *thi;
    const double* open;  // area-reduction factor, or null
    const int* bc;       // overland boundary type, or null
    const int* ov_lake;  // current overland-lake extent, or null
    const int* ch_lake;  // channel-lake number, or null
    const double* cfgi;  // frozen-ground index (long-term runs), or null
    const int* exfil;
    double *depth, *cum, *rate, *th0, *fp, *surface;
    int *pond, *redist_n, *state, *opening;
};

// One cell's step; returns the volume booked to the head boundary.
double gar_cell(const gar_arrays& a, int i, int n, double dt, double area)
{
    if ((a.ov_lake && a.ov_lake[i] > 0) || (a.cfgi && a.cfgi[i] > 83.0) || (a.ch_lake && a.ch_lake[i] > 0))
        return 0.0;
    const gar_soil c{a.ks[i], a.psi[i], a.ths[i], a.thr[i], a.lam[i], a.thi[i]};
    double& th0 = a.th0[i];
    double& f_cum = a.cum[i];
    double& fp = a.fp[i];
    int& state = a.state[i];
    if (n <= 1) {
        th0 = c.thi;
        a.surface[i] = c.thi;
    }
    if (a.exfil[i] == 1) {
        th0 = c.ths;
        return 0.0;
    }
    const double factor = a.open ? a.open[i] : 1.0;
    const double ka = c.ks * factor;
    const double depth = a.depth[i];
    const double r = depth / dt;
    const bool held = a.bc && (a.bc[i] == 2 || a.bc[i] == 3 || a.bc[i] == 9);
    // All the ponded water goes into the soil.
    auto take_all = [&]() {
        if (held)
            return depth * area;
        a.depth[i] = 0.0;
        return 0.0;
    };

    if (a.opening[i] == n - 1 && ka >= r) {
        a.rate[i] = r * 360000.0;
        f_cum += depth;
        a.opening[i] = n;
        a.surface[i] = c.thi;
        return take_all();
    }

    if (ka > r) {
        if (state == 1) {
            th0 = c.ths;
        } else if (state == 2 && f_cum > 0.0) {
            th0 = ((th0 + c.ths - 2.0 * c.thi) * (f_cum - fp) + (th0 - c.thi) * fp) / f_cum + c.thi;
            th0 = std::min(th0, c.ths);
        }
        state = 0;
        if (depth + f_cum < 0.0) {
            f_cum = 0.0;
            fp = 0.0;
            a.surface[i] = c.thi;
            return take_all();
        }
        f_cum += depth;
        fp = f_cum;
        a.rate[i] = r * 360000.0;
        if (th0 != c.thi)
            th0 = redistribute(c, th0, fp, r, dt);
        a.redist_n[i] = n;
        a.surface[i] = th0;
        return take_all();
    }

    double deficit = c.ths - c.thi;
    double e = f_cum;
    if (a.redist_n[i] > 0 && state != 1) {
        state = 1;
        // The older front lies deeper than the new one: Fp/(th0 - thi) >
        // (F - Fp)/(ths - th0), compared without dividing (th0 >= thi).
        if (fp * std::max(c.ths - th0, 1e-20) > (f_cum - fp) * (th0 - c.thi)) {
            state = 2;
            th0 = redistribute(c, th0, fp, 0.0, dt);
            deficit = c.ths - th0;
            e = f_cum - fp;
        }
    }
    const double b = c.ks * dt - 2.0 * e;
    double f = (b + std::sqrt(b * b + 8.0 * c.ks * dt * (deficit * c.psi + e))) / (2.0 * dt);
    f *= factor;
    double booked = 0.0;
    double taken;
    if (f >= r) {
        a.rate[i] = r * 360000.0;
        if (a.pond[i] == 0 && a.redist_n[i] == 0) {
            // The surface wets up towards saturation, reaching it about the
            // time to ponding under this supply.
            if (r - c.ks < 1e-6) {
                th0 += (c.ths - th0) * dt / 100000.0;
            } else {
                const double tp = (c.ths - th0) * c.psi * c.ks / ((r - c.ks) * r);
                th0 = tp == 0.0 ? c.ths : th0 + (c.ths - th0) * dt / tp;
            }
            if (th0 > c.ths) {
                th0 = c.ths;
                a.pond[i] = n;
            }
        }
        booked = take_all();
        taken = r * dt;
    } else {
        a.rate[i] = f * 360000.0;
        if (held)
            booked = f * dt * area;
        else
            a.depth[i] -= shape_factor * f * dt;
        if (a.pond[i] == 0) {
            a.pond[i] = n;
            if (a.redist_n[i] == 0)
                th0 = c.ths;
        }
        taken = f * dt;
    }
    f_cum += taken;
    if (state == 1)
        th0 = c.ths;
    a.surface[i] = state == 2 ? c.ths : th0;
    return booked;
}

bool arrays_ready(const model_state& s)
{
    const int n = s.num_cells;
    for (const dvec* v : {&s.dist_ksat, &s.dist_cap_head, &s.dist_porosity, &s.dist_resid_sat, &s.dist_pore_index,
                          &s.dist_init_moisture, &s.event_inf_depth, &s.inf_rate, &s.ov_depth, &s.redist_theta_1,
                          &s.redist_theta_2, &s.redist_aux})
        if (v->size() < n)
            return false;
    for (const ivec* v : {&s.iter_pond_1, &s.iter_n, &s.no_wat_prof, &s.iter_i_less_k, &s.yes_exfil})
        if (v->size() < n)
            return false;
    return true;
}

} // namespace

bool gar_step(model_state& s, double dt, int step)
{
    const int n = s.num_cells;
    if (!arrays_ready(s)) {
        std::printf("Green-Ampt infiltration with redistribution: the soil parameter arrays are missing\n");
        error_set(err_stop);
        return false;
    }
    gar_arrays a{};
    a.ks = s.dist_ksat.data();
    a.psi = s.dist_cap_head.data();
    a.ths = s.dist_porosity.data();
    a.thr = s.dist_resid_sat.data();
    a.lam = s.dist_pore_index.data();
    a.thi = s.dist_init_moisture.data();
    a.open = s.area_reduction_given && s.area_reduction_values.size() >= n ? s.area_reduction_values.data() : nullptr;
    a.bc = s.ov_boundary && s.boundary_type.size() >= n ? s.boundary_type.data() : nullptr;
    a.ov_lake = s.overland_lake_on && s.oland_lake_new.size() >= n ? s.oland_lake_new.data() : nullptr;
    a.ch_lake = s.chan_lakes && s.lake_mask.size() >= n ? s.lake_mask.data() : nullptr;
    a.cfgi = s.long_term && s.cfgi.size() >= n ? s.cfgi.data() : nullptr;
    a.exfil = s.yes_exfil.data();
    a.depth = s.ov_depth.data();
    a.cum = s.event_inf_depth.data();
    a.rate = s.inf_rate.data();
    a.th0 = s.redist_theta_1.data();
    a.fp = s.redist_aux.data();
    a.surface = s.redist_theta_2.data();
    a.pond = s.iter_pond_1.data();
    a.redist_n = s.iter_n.data();
    a.state = s.no_wat_prof.data();
    a.opening = s.iter_i_less_k.data();

    const double area = s.gridsize * s.gridsize;
    double head_in = 0.0;
    int bad = INT_MAX;
#pragma omp parallel for schedule(static) reduction(+ : head_in) reduction(min : bad) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        if (unusable({a.ks[i], a.psi[i], a.ths[i], a.thr[i], a.lam[i], a.thi[i]})) {
            if (i < bad)
                bad = i;
            continue;
        }
        head_in += gar_cell(a, i, step, dt, area);
    }
    s.head_bc_in_total += head_in;
    if (bad != INT_MAX) {
        std::printf("Green-Ampt infiltration with redistribution: cell %d cannot infiltrate: conductivity %g m/s, "
                    "capillary head %g m, porosity %g, residual water content %g, pore-size index %g, initial "
                    "water content %g\n",
                    bad, s.dist_ksat[bad], s.dist_cap_head[bad], s.dist_porosity[bad], s.dist_resid_sat[bad],
                    s.dist_pore_index[bad], s.dist_init_moisture[bad]);
        error_set(err_stop);
        return false;
    }
    return true;
}
