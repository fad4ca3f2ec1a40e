// The overland sediment step: raindrop splash and flowing water detach soil
// of every size class, the flow carries the suspended load across the cell
// faces up to its transport capacity, and the load settles by its fall
// velocity. Volumes are kept per cell and class in the sediment table
// (eroded as a negative running total, suspended, deposited, and exported
// at the outlet); what leaves the watershed lands in cell 0 and is booked
// at the outlet.
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/sediment_block.h"
#include "quality/sediment_steps.h"

namespace
{

constexpr double tiny = 1e-16;
constexpr double unit_weight = 9792.342; // N/m3 of water

// Rain-intensity class (mm/h) of the splash formula: coefficient a and
// exponent b.
void rain_class(double I, double& a, double& b)
{
    if (I < 10.0) {
        a = 2.69e-8;
        b = 1.6896;
    } else if (I < 50.0) {
        a = 3.75e-8;
        b = 1.5545;
    } else if (I < 100.0) {
        a = 6.12e-8;
        b = 1.4242;
    } else {
        a = 1.175e-7;
        b = 1.2821;
    }
}

// Re-suspends x of the cell's deposits, in proportion to each class's.
void resuspend_deposits(const sed_detach_cell& c, double dep, double x)
{
    for (int m = 1; m <= c.n; ++m) {
        const double r = c.vol[m].deposited / dep * x;
        c.vol[m].deposited -= r;
        c.vol[m].suspended += r;
        c.eroded[m] += r;
        c.eroded[0] += r;
    }
}

// Takes R from the parent soil by the class fractions and re-suspends every
// deposit.
void erode_parent(const sed_detach_cell& c, double R)
{
    for (int m = 1; m <= c.n; ++m) {
        const double from_soil = R * c.fract[m * c.stride];
        const double r = from_soil + c.vol[m].deposited;
        c.vol[m].suspended += r;
        c.vol[m].deposited = 0.0;
        c.vol[m].eroded -= from_soil;
        c.eroded[m] += r;
        c.eroded[0] += r;
    }
}

double sum_deposited(const sed_detach_cell& c)
{
    double d = 0.0;
    for (int m = 1; m <= c.n; ++m)
        d += c.vol[m].deposited;
    return d;
}

} // namespace

// Splash of rain of I mm/h on water h m deep, splash coefficient Ks, rain
// class a and b, over a cell of area A in dt seconds.
void ov_splash_detach(const sed_detach_cell& c, double I, double h, double Ks, double a, double b, double dt,
                      double A)
{
    if (I <= tiny)
        return;
    const double D = 0.00124 * std::pow(I, 0.182); // median drop size, m
    const double g = h > D ? std::exp(1.0 - h / D) : 1.0;
    const double E = g * Ks * a * std::pow(I, b) * dt * A / sediment_density;
    const double dep = sum_deposited(c);
    if (dep > tiny && dep > E) {
        resuspend_deposits(c, dep, E);
        return;
    }
    if (c.channel)
        return;
    erode_parent(c, E - dep);
}

// Flow detachment on slope S at depth h, limited by the capacity C; A is
// the open area of the cell.
void ov_flow_detach(const sed_detach_cell& c, double S, double h, double coef, double expo, double crit,
                    double C, double dt, double A)
{
    if (h <= tiny || S <= tiny)
        return;
    double sus = 0.0;
    for (int m = 1; m <= c.n; ++m)
        sus += c.vol[m].suspended;
    if (C <= sus)
        return;
    const double dep = sum_deposited(c);
    const double tau = unit_weight * h * S;
    const double u = 1.0 - sus / C;
    const double T = coef * std::pow(tau, expo) * u * dt * A / sediment_density;
    if (!(T > tiny))
        return; // no shear to detach anything (and the share below would be 0/0)
    if (dep > T) {
        resuspend_deposits(c, dep, T);
        return;
    }
    if (c.channel)
        return;
    const double P = tau > crit ? coef * std::pow(tau - crit, expo) * u : 0.0;
    erode_parent(c, P * dt * A / sediment_density * (1.0 - dep / T));
}

namespace
{

struct step_view {
    model_state& s;
    sediment_table& t;
    sed_class_set cls;
    int n;     // cells
    int nc;    // classes
    double dt; // s
    double dx;
    double V;
    bool block;
    bool outlet_right = false;
    bool outlet_down = false;
    bool lakes = false; // channel lakes with their wash-load arrays
};

// The channel lake covering cell k, 0 outside lakes (or without them).
int lake_at(const step_view& w, int k)
{
    return w.lakes && k >= 1 ? w.s.lake_mask[k] : 0;
}

// Water-surface level of cell k: its lake's level in a lake.
double surface_level(const step_view& w, int k)
{
    const int lake = lake_at(w, k);
    return lake ? w.s.lake_elev[lake] : w.s.ov_depth[k] + w.s.ground_elev[k];
}

// Water-surface slope from cell k to neighbour nb (0 without one, and
// between two lake cells).
double surface_slope(const step_view& w, int k, int nb)
{
    if (!nb || (lake_at(w, k) && lake_at(w, nb)))
        return 0.0;
    return (surface_level(w, k) - surface_level(w, nb)) / w.dx;
}

double cell_value(const dvec& v, int i, double fallback)
{
    return v.size() >= i ? v[i] : fallback;
}

// Pass 1 for one cell: slopes, splash, outflow magnitude, capacity and flow
// detachment.
void detach_pass(step_view& w, int k)
{
    model_state& s = w.s;
    sediment_table& t = w.t;
    const double dx = w.dx;
    const int right = s.rightcon[k];
    const int below = s.belowcon[k];
    t.ws_slope_x[k] = surface_slope(w, k, right);
    t.ws_slope_y[k] = surface_slope(w, k, below);
    if (lake_at(w, k)) {
        // A lake cell is open water: no detachment, no overland outflow.
        t.q_out_mag[k] = 0.0;
        return;
    }
    if (k == s.outlet_cell) {
        if (w.outlet_right)
            t.ws_slope_x[k] = s.outslope;
        else if (w.outlet_down)
            t.ws_slope_y[k] = s.outslope;
    }
    const double S = std::sqrt(t.ws_slope_x[k] * t.ws_slope_x[k] + t.ws_slope_y[k] * t.ws_slope_y[k]);
    const double h = s.ov_depth[k];
    const double I = s.interception && s.ri_eff.size() >= k ? s.ri_eff[k] : cell_value(s.rain_rate, k, 0.0);
    double a = 0.0;
    double b = 0.0;
    rain_class(I, a, b);
    const double A = dx * dx;
    const bool channel = s.channel_cells.size() >= k && s.channel_cells[k] != 0;
    const sed_detach_cell cell{
        t.cell_tally[k], s.ov_sed_vol_eroded[k], &s.sed_fract[k][0][1], s.sed_fract.dim3() + 1, w.nc,
        channel};
    const double Ks = s.splash_K[k] > tiny ? s.splash_K[k] : 60.0;
    ov_splash_detach(cell, I, h, Ks, a, b, w.dt, A);

    double W = 0.0;
    const double qx = s.ov_qx[k];
    const double qy = s.ov_qy[k];
    if (qx > tiny)
        W += qx * qx;
    if (qy > tiny)
        W += qy * qy;
    if (const int left = s.leftcon[k]; left && s.ov_qx[left] < -tiny)
        W += s.ov_qx[left] * s.ov_qx[left];
    if (const int above = s.abovecon[k]; above && s.ov_qy[above] < -tiny)
        W += s.ov_qy[above] * s.ov_qy[above];
    t.q_out_mag[k] = std::sqrt(W);
    double q = t.q_out_mag[k] / dx;
    double F = 1.0;
    double open = A;
    if (w.block) {
        const double fb = s.ov_block_frac[k];
        if (fb < 1.0)
            q /= 1.0 - fb;
        F = 1.0 - std::sqrt(fb);
        open = A * (1.0 - fb);
    }
    const double C = ov_transport_capacity(s.sed.erosion_method, k, S, h, q, w.dt, dx, w.cls, t.cell_tally[k],
                                           s.sed_fract, s.sed_K[k], w.V, F);
    if (q > tiny)
        ov_flow_detach(cell, S, h, s.detach_coef[k] > tiny ? s.detach_coef[k] : 2e-5,
                       s.detach_exp[k] > tiny ? s.detach_exp[k] : 1.0,
                       s.detach_crit[k] > tiny ? s.detach_crit[k] : 0.0, C, w.dt, open);
}

// Water of a lake cell flowing onto land carries the lake's wash load
// (nothing before the event's first step).
void lake_to_overland(step_view& w, int src, int rcv, int lake, double Q)
{
    model_state& s = w.s;
    if (s.event_step == 0)
        return;
    double* flux = !w.t.ov_qsmax.empty() ? w.t.ov_qsmax[src] : nullptr;
    for (int j = 1; j <= s.num_fine_classes; ++j) {
        const int c = s.sed_class[j];
        const double v = std::fabs(s.SS_conc_vol_lake[lake][j]) * std::fabs(Q) * w.dt;
        w.t.cell_tally[rcv][c].suspended += v;
        s.SS_vol_lake_to_overland[lake][j] += v;
        s.SS_vol_lake_to_overland[lake][0] += v;
        s.sed_vol_overland_to_lake[lake][c] -= v;
        s.sed_vol_overland_to_lake[0][c] -= v;
        if (flux)
            flux[c] += v / w.dt;
    }
}

// Moves the source's suspended load, up to the capacity of the face flow
// Q, into the receiver (cell 0 outside). side is the receiver's side that
// the face is (1 top, 2 right, 3 bottom, 4 left); sign +1 when the flow
// runs right or down.
void face_transfer(step_view& w, int k, int src, int rcv, int side, double sign, double Q, double slope,
                   double* qs_of_source, dmat* face_vol)
{
    model_state& s = w.s;
    sediment_table& t = w.t;
    const int src_lake = lake_at(w, src);
    const int rcv_lake = lake_at(w, rcv);
    if (src_lake) {
        if (!rcv_lake && rcv >= 1)
            lake_to_overland(w, src, rcv, src_lake, Q);
        return;
    }
    double qf = std::fabs(Q) / w.dx;
    double F = 1.0;
    if (w.block && rcv >= 1) {
        F = 1.0 - s.ovr_flow_block_frac[rcv][side];
        if (F > tiny)
            qf /= F;
    }
    double C = ov_transport_capacity(s.sed.erosion_method, src, std::fabs(slope), s.ov_depth[src], qf, w.dt,
                                     w.dx, w.cls, t.cell_tally[src], s.sed_fract, s.sed_K[src], w.V, F);
    C = std::fabs(C);
    *qs_of_source = C;
    sed_tally* from = t.cell_tally[src];
    double sus = 0.0;
    for (int m = 1; m <= w.nc; ++m)
        sus += from[m].suspended;
    if (!(C > tiny && sus > tiny))
        return;
    const double moved = C < sus ? C : sus;
    sed_tally* to = t.cell_tally[rcv];
    double* flux = !t.ov_qsmax.empty() ? t.ov_qsmax[src] : nullptr;
    for (int m = 1; m <= w.nc; ++m) {
        const double share = from[m].suspended / sus;
        s.sed_fract[src][m][2] = share;
        const double v = share * moved;
        from[m].suspended -= v;
        if (rcv_lake) {
            // Into a lake: the lake takes it up; sand settles at the lake's
            // edge cell.
            s.sed_vol_overland_to_lake[rcv_lake][m] += v;
            s.sed_vol_overland_to_lake[0][m] += v;
            if (s.sand[m]) {
                to[m].deposited += v;
                s.event_lake_depo_in[rcv_lake] += v;
                s.event_lake_depo_in[0] += v;
                s.tot_lake_depo_in[rcv_lake] += v;
                s.tot_lake_depo_in[0] += v;
            }
        } else {
            to[m].suspended += v;
        }
        if (face_vol) {
            (*face_vol)[k][m] -= sign * v;
            (*face_vol)[k][0] -= sign * v;
        }
        if (flux)
            flux[m] += v / w.dt;
    }
}

// What reached cell 0 leaves the watershed through the outlet.
void book_outlet(step_view& w)
{
    model_state& s = w.s;
    sediment_table& t = w.t;
    sed_tally* outside = t.cell_tally[0];
    sed_tally* outlet = t.cell_tally[s.outlet_cell];
    const bool contam = s.sediment_contam && s.ov_sed_con_arr.cap >= w.nc;
    double total = 0.0;
    for (int m = 1; m <= w.nc; ++m) {
        const double v = outside[m].suspended;
        outlet[m].outlet += v;
        outlet[0].outlet += v;
        total += v;
        if (contam) {
            s.ov_sed_con_arr[m] += v;
            s.ov_sed_con_arr[0] += v;
        }
        outside[m].suspended = 0.0;
    }
    t.last_outlet_vol = total;
}

void transport_pass(step_view& w)
{
    model_state& s = w.s;
    sediment_table& t = w.t;
    const int outlet = s.outlet_cell;
    const bool chan = s.chan_explicit != 0;
    dmat* vol_qsx = s.sediment_contam && s.ov_sed_vol_qsx.rows() >= w.n ? &s.ov_sed_vol_qsx : nullptr;
    dmat* vol_qsy = s.sediment_contam && s.ov_sed_vol_qsy.rows() >= w.n ? &s.ov_sed_vol_qsy : nullptr;
    t.last_outlet_vol = 0.0;
    for (int k = 1; k <= w.n; ++k) {
        const int right = s.rightcon[k];
        const int below = s.belowcon[k];
        double Qx = s.ov_qx[k];
        double Qy = s.ov_qy[k];
        if (k == outlet && !chan) {
            if (!right && !w.outlet_down)
                Qx = s.qout;
            if (!below && !w.outlet_right)
                Qy = s.qout;
        }
        if (right || k == outlet) {
            if (Qx >= 0.0)
                face_transfer(w, k, k, right, 4, 1.0, Qx, t.ws_slope_x[k], &s.qsx[k], vol_qsx);
            else if (right)
                face_transfer(w, k, right, k, 2, -1.0, Qx, t.ws_slope_x[k], &s.qsx[right], vol_qsx);
            if (k == outlet && w.outlet_right)
                book_outlet(w);
        }
        if (below || k == outlet) {
            if (Qy >= 0.0)
                face_transfer(w, k, k, below, 1, 1.0, Qy, t.ws_slope_y[k], &s.qsy[k], vol_qsy);
            else if (below)
                face_transfer(w, k, below, k, 3, -1.0, Qy, t.ws_slope_y[k], &s.qsy[below], vol_qsy);
            if (k == outlet && w.outlet_down)
                book_outlet(w);
        }
    }
    // Anything a face without a neighbour sent outside the outlet rule goes
    // back to the outlet cell rather than vanish.
    sed_tally* outside = t.cell_tally[0];
    for (int m = 1; m <= w.nc; ++m) {
        if (outside[m].suspended != 0.0 && outlet >= 1) {
            t.cell_tally[outlet][m].suspended += outside[m].suspended;
            outside[m].suspended = 0.0;
        }
    }
}

void settle_cell(step_view& w, int l)
{
    model_state& s = w.s;
    sediment_table& t = w.t;
    const double h = s.ov_depth[l];
    double U = h > tiny ? t.q_out_mag[l] / (w.dx * h) : 0.0;
    if (w.block && s.ov_block_frac[l] < 1.0)
        U /= 1.0 - s.ov_block_frac[l];
    sed_tally* vol = t.cell_tally[l];
    double* deposited = s.ov_sed_vol_deposited[l];
    for (int m = 1; m <= w.nc; ++m) {
        const double trap = U > tiny ? 1.0 - std::exp(-w.dx * s.fall_velocity[m] / (U * h)) : 1.0;
        const double d = trap * vol[m].suspended;
        vol[m].suspended -= d;
        vol[m].deposited += d;
        deposited[m] += d;
        deposited[0] += d;
    }
}

void output_arrays(step_view& w, int cell)
{
    sediment_table& t = w.t;
    if (!t.ov_qsmax.empty()) {
        double* f = t.ov_qsmax[cell];
        f[0] = 0.0;
        for (int m = 1; m <= w.nc; ++m)
            f[0] += f[m];
    }
    if (!t.ov_qsconc.empty()) {
        double* c = t.ov_qsconc[cell];
        const sed_tally* vol = t.cell_tally[cell];
        c[0] = 0.0;
        for (int m = 1; m <= w.nc; ++m) {
            c[m] = vol[m].suspended;
            c[0] += c[m];
        }
    }
}

bool cell_has_nan(const sed_tally* vol, int nc)
{
    for (int m = 1; m <= nc; ++m)
        if (std::isnan(vol[m].suspended) || std::isnan(vol[m].eroded) || std::isnan(vol[m].deposited))
            return true;
    return false;
}

// Prints the lines of every cell holding a value that is not a number and
// stops the run; returns false when there was none.
bool report_nan(step_view& w)
{
    const sediment_table& t = w.t;
    const int n = w.n;
    int first = n + 1;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells) reduction(min : first)
    for (int l = 1; l <= n; ++l)
        if (l < first && cell_has_nan(t.cell_tally[l], w.nc))
            first = l;
    if (first > n)
        return false;
    for (int l = first; l <= n; ++l) {
        const sed_tally* vol = t.cell_tally[l];
        for (int m = 1; m <= w.nc; ++m) {
            if (std::isnan(vol[m].suspended))
                std::printf("PT 3 suspended soil particle %2d=Nan at grid %d\n", m, l);
            if (std::isnan(vol[m].eroded))
                std::printf("PT 3 eroded soil particle %2d=Nan at grid %d\n", m, l);
            if (std::isnan(vol[m].deposited))
                std::printf("PT 3 deposited soil particle %2d=Nan at grid %d\n", m, l);
        }
    }
    std::fflush(stdout);
    error_set(err_stop);
    report_error(error_state);
    return true;
}

} // namespace

void ov_sediment_transport(model_state& s, double dt)
{
    if (!s.ov_sed || dt <= 0.0)
        return;
    sediment_table& t = *s.ov_sed;
    step_view w{s,
                t,
                sed_class_set{s.sed.num_sed, s.part_diam.data(), s.spec_grav.data()},
                s.num_cells,
                s.sed.num_sed,
                dt,
                s.gridsize,
                dt * s.gridsize / sediment_density,
                s.ovr_flow_block && s.ov_block_frac.size() >= s.num_cells};
    w.lakes = s.chan_lakes && !s.SS_conc_vol_lake.empty() && !s.sed_vol_overland_to_lake.empty() &&
              s.lake_mask.size() >= s.num_cells;
    const int n = w.n;
    const int outlet = s.outlet_cell;
    if (!s.chan_explicit && outlet >= 1 && outlet <= n) {
        if (!s.rightcon[outlet])
            w.outlet_right = true;
        else if (!s.belowcon[outlet])
            w.outlet_down = true;
    }

#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int k = 1; k <= n; ++k)
        detach_pass(w, k);

    if (!t.ov_qsmax.empty()) {
        double* f = t.ov_qsmax.data();
        const long size = static_cast<long>(t.ov_qsmax.rows() + 1) * (t.ov_qsmax.cols() + 1);
        for (long i = 0; i < size; ++i)
            f[i] = 0.0;
    }
    // Serial in cell order: each face moves volume into a neighbour in place.
    transport_pass(w);

#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int l = 1; l <= n; ++l)
        settle_cell(w, l);

    if (!t.ov_qsmax.empty() || !t.ov_qsconc.empty()) {
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int l = 1; l <= n; ++l)
            output_arrays(w, l);
    }

    report_nan(w);
}

void ov_sediment_book_step(model_state& s)
{
    if (!s.ov_sed)
        return;
    sediment_table& t = *s.ov_sed;
    const int n = s.num_cells;
    const int nc = s.sed.num_sed;
    const double area = s.gridsize * s.gridsize;
    const bool adjust = s.cards.adjust_elev_given && area > 0.0;
    const bool keep = s.soil_con_trans != 0;
    const bool net = t.ov_qsvol.rows() >= n;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int j = 1; j <= n; ++j) {
        double* dep = s.ov_sed_vol_deposited[j];
        double* ero = s.ov_sed_vol_eroded[j];
        if (net) {
            double* qsvol = t.ov_qsvol[j];
            for (int k = 0; k <= nc; ++k)
                qsvol[k] += dep[k] - ero[k];
        }
        if (adjust)
            s.ground_elev[j] += (dep[0] - ero[0]) / area;
        if (!keep)
            for (int k = 0; k <= nc; ++k)
                dep[k] = ero[k] = 0.0;
    }
}
