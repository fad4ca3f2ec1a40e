// One step of the two-dimensional unconfined aquifer: every source and sink
// of a cell becomes one net sink rate, the step is cut into sub-steps, and
// each sub-step solves the implicit five-point finite-volume equations by
// Picard passes, each pass by the line solver. With the Richards scheme
// the storage coefficient follows the nodes the water table crosses and the
// columns are re-fitted to the new table after each sub-step.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/groundwater.h"
#include "subsurface/soil_tables.h"

namespace
{

constexpr double min_thickness = 0.001;    // m, floor of the saturated thickness
constexpr double well_thickness = 0.01;    // m, below it no leakage or pumping
constexpr double picard_tolerance = 0.001; // m
constexpr int picard_warning_pass = 49;
constexpr int picard_pass_limit = 1000;
// Grids up to this many cells are assembled on the calling thread: the
// threads' start and join would cost more than the loop.
constexpr int parallel_cells = 4096;

bool fixed_or_inactive(int type)
{
    return type == 2 || type == 5;
}

} // namespace

bool groundwater_solver_alloc(model_state& s, int n)
{
    try {
        for (dvec* v : {&s.gw_trans_x,       &s.gw_trans_y,        &s.gw_sat_thickness,
                        &s.gw_coef_above,    &s.gw_coef_below,     &s.gw_coef_left,
                        &s.gw_coef_right,    &s.gw_coef_diag,      &s.gw_rhs,
                        &s.gw_sink,          &s.gw_pumping,        &s.gw_leakage,
                        &s.gw_unsat_gain,    &s.gw_chan_exchange,  &s.lake_source,
                        &s.gw_head_old,      &s.soil_recharge_out, &s.gw_head_substep,
                        &s.gw_head_iter,     &s.gw_flux,           &s.gw_spec_yield,
                        &s.soil_recharge_gw, &s.exfil_cell_depth})
            if (v->size() != n)
                v->assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        std::printf("Error: not enough memory for the groundwater solver (%d cells).\n", n);
        error_set(err_stop);
        return false;
    }
    return gw_line_work_alloc(s.gw_line, s.num_rows, s.num_cols);
}

namespace
{

// Net sink of every ordinary cell; returns the volume that entered the
// aquifer over the step.
double assemble_sinks(model_state& s, int n, double dt)
{
    const int* type = s.gwbound.data();
    const double* head = s.elevgw.data();
    const double* bottom = s.bottom_elev.data();
    const double* cdx = s.gw_cell_dx.data();
    const double* cdy = s.gw_cell_dy.data();
    double* sink = s.gw_sink.data();
    double* pump = s.gw_pumping.data();
    double* leak = s.gw_leakage.data();
    double* recharge = s.soil_recharge_gw.data();
    double* unsat = s.gw_unsat_gain.data();
    double* exfil = s.exfil_cell_depth.data();
    double* chan = s.gw_chan_exchange.data();
    double* lake = s.lake_source.data();
    const bool tiles = s.storm_sewer && s.tile_drains && s.vol_tile_grid.size() >= n;
    double* tile = tiles ? s.vol_tile_grid.data() : nullptr;
    const bool lakes = s.chan_lakes && s.lake_gw_exchange == 1;
    const bool channels = s.chan_explicit != 0;
    const bool table_wells = s.gw_boundary_count != 0;
    const double* static_flux = s.well_flux.size() >= n ? s.well_flux.data() : nullptr;
    const double leak_rate = s.gw_leakage_rate / 100.0 / 3600.0;
    double* flux = s.gw_flux.data();
    double v = 0.0;
#pragma omp parallel for schedule(static) reduction(+ : v) if (n > parallel_cells)
    for (int i = 1; i <= n; ++i) {
        if (tile && type[i] == 2) {
            // A drain under a fixed head draws its water through the boundary.
            flux[i] += tile[i];
            v -= tile[i];
            tile[i] = 0.0;
        }
        if (fixed_or_inactive(type[i]))
            continue;
        const double area = cdx[i] * cdy[i];
        const double sat = head[i] - bottom[i];
        const double r = recharge[i] / 100.0 / dt;
        double t = 0.0;
        if (tile) {
            t = tile[i] / dt / area;
            tile[i] = 0.0;
        }
        double l = 0.0;
        if (lakes) {
            l = lake[i] / dt / area;
            if (l != 0.0)
                lake[i] = 0.0;
        }
        double c = 0.0;
        if (channels) {
            c = chan[i] / dt / area;
            chan[i] = 0.0;
        }
        const double e = exfil[i] / dt;
        exfil[i] = 0.0;
        // The water a moving table handed over enters once.
        const double u = unsat[i] / 100.0 / dt;
        unsat[i] = 0.0;
        double lk = leak_rate;
        if (sat < well_thickness)
            lk = 0.0;
        else if (sat < lk * dt)
            lk = sat / dt;
        leak[i] = lk;
        if (!table_wells)
            pump[i] = static_flux ? static_flux[i] : 0.0;
        if (sat < well_thickness && pump[i] > 0.0)
            pump[i] = 0.0;
        double q = pump[i] - r + lk - u + e + c + l + t;
        if (sat < min_thickness && q > 0.0)
            q = 0.0;
        if (sat - dt * q < min_thickness && q > 0.0)
            q = (sat - min_thickness) / dt;
        sink[i] = q;
        v += -dt * q * area;
    }
    return v;
}

// Scans the heads at the start of a sub-step; with the Richards scheme sets
// each ordinary cell's storage from the nodes the table would cross in h
// and returns the largest count of crossed nodes. -1 when a head is not a
// number (reported).
int scan_substep(model_state& s, int n, double& h)
{
    const bool richards = s.inf_richards != 0;
    int most = 0;
    for (int c = 1; c <= n; ++c) {
        const double head = s.elevgw[c];
        s.gw_head_substep[c] = head;
        if (std::isnan(head)) {
            std::printf("elevgw NaN in main()- point 7, grid cell %d\n", c);
            error_set(err_stop);
            report_error(error_state);
            return -1;
        }
        if (!richards || fixed_or_inactive(s.gwbound[c]))
            continue;
        const int k = s.numcells[c];
        const double q = s.gw_sink[c];
        const double* ths = s.THETAS[c];
        const double* dz = s.DZ[c];
        double& storage = s.gw_spec_yield[c];
        int crossed = 0;
        if (head >= s.ground_elev[c] || k < 2) {
            storage = ths[1];
        } else if (k < 3) {
            storage = ths[k - 1];
            const double d = ths[k - 1] - s.THETA[c][k - 1];
            if (q != 0.0 && d > 0.0 && -100.0 * q * h / d > dz[k - 1])
                h = std::max(-d * dz[k - 1] / (100.0 * q), 1.0);
        } else if (q <= 0.0) {
            const double surface_dz = s.soil_layers[static_cast<std::size_t>(s.soiltype[c])].node_spacing[0];
            double w = -100.0 * q * h;
            double depth = 0.0, stored = 0.0;
            int j = k - 1;
            while (w > 0.0) {
                const double t = j >= 1 ? dz[j] : surface_dz;
                const double th = j >= 1 ? ths[j] : 1.0;
                w -= t * th;
                const double used = w < 0.0 ? (th * t + w) / th : t;
                depth += used;
                stored += used * th;
                ++crossed;
                --j;
            }
            const double next_dz = j >= 1 ? dz[j] : surface_dz;
            storage = crossed > 0 && (j < 1 || depth > next_dz) ? stored / depth : ths[k - 1];
        } else {
            storage = ths[k - 1];
            const double nodes = (100.0 * q * h / ths[k - 1]) / dz[k];
            crossed = nodes < 1e6 ? static_cast<int>(nodes) : 1000000; // only "more than two" matters
        }
        most = std::max(most, crossed);
    }
    return most;
}

// Transmissivities of the heads of the latest pass; the heads go back to
// the sub-step start for the solve.
void update_transmissivity(model_state& s, int n)
{
    double* head = s.elevgw.data();
    const double* bottom = s.bottom_elev.data();
    const double* start = s.gw_head_substep.data();
    const double* kx = s.gw_ksat_x.data();
    const double* ky = s.gw_ksat_y.data();
    double* iter = s.gw_head_iter.data();
    double* sat = s.gw_sat_thickness.data();
    double* tx = s.gw_trans_x.data();
    double* ty = s.gw_trans_y.data();
#pragma omp parallel for schedule(static) if (n > parallel_cells)
    for (int i = 1; i <= n; ++i) {
        iter[i] = head[i];
        sat[i] = head[i] - bottom[i];
        const double b = sat[i] < min_thickness ? min_thickness : sat[i];
        tx[i] = b * kx[i];
        ty[i] = b * ky[i];
        head[i] = start[i];
    }
}

// Conductance between cell i and neighbour j across a face: the harmonic
// mean of the two transmissivities over the distance, per unit of i's size.
inline double conductance(double ti, double tj, double di, double dj)
{
    const double den = di * tj + dj * ti;
    return den > 0.0 ? 2.0 * ti * tj / den / di : 0.0;
}

void assemble_equations(model_state& s, int n, double h)
{
    const int* type = s.gwbound.data();
    const int* up = s.abovecon.data();
    const int* down = s.belowcon.data();
    const int* left = s.leftcon.data();
    const int* right = s.rightcon.data();
    const double* tx = s.gw_trans_x.data();
    const double* ty = s.gw_trans_y.data();
    const double* dx = s.gw_cell_dx.data();
    const double* dy = s.gw_cell_dy.data();
    const double* sy = s.gw_spec_yield.data();
    const double* sink = s.gw_sink.data();
    const double* start = s.gw_head_substep.data();
    double* ca = s.gw_coef_above.data();
    double* cb = s.gw_coef_below.data();
    double* cl = s.gw_coef_left.data();
    double* cr = s.gw_coef_right.data();
    double* cd = s.gw_coef_diag.data();
    double* rhs = s.gw_rhs.data();
#pragma omp parallel for schedule(static) if (n > parallel_cells)
    for (int i = 1; i <= n; ++i) {
        if (fixed_or_inactive(type[i])) {
            ca[i] = cb[i] = cl[i] = cr[i] = 0.0;
            cd[i] = 1.0;
            rhs[i] = start[i];
            continue;
        }
        const int a = up[i], b = down[i], l = left[i], r = right[i];
        ca[i] = a > 0 ? conductance(ty[i], ty[a], dy[i], dy[a]) : 0.0;
        cb[i] = b > 0 ? conductance(ty[i], ty[b], dy[i], dy[b]) : 0.0;
        cl[i] = l > 0 ? conductance(tx[i], tx[l], dx[i], dx[l]) : 0.0;
        cr[i] = r > 0 ? conductance(tx[i], tx[r], dx[i], dx[r]) : 0.0;
        const double store = sy[i] / h;
        cd[i] = -(ca[i] + cb[i] + cl[i] + cr[i] + store);
        rhs[i] = sink[i] - store * start[i];
    }
}

// Largest change of the heads since the last pass; the heads become the
// pass's heads.
double largest_change(model_state& s, int n)
{
    double* head = s.elevgw.data();
    double* iter = s.gw_head_iter.data();
    double c = 0.0;
    for (int i = 1; i <= n; ++i) {
        c = std::max(c, std::fabs(head[i] - iter[i]));
        iter[i] = head[i];
    }
    return c;
}

// Picard passes of one sub-step of length h; false when the run stops.
bool picard_passes(model_state& s, int n, double h)
{
    const bool richards = s.inf_richards != 0;
    const gw_equations eq{s.gw_coef_above.data(), s.gw_coef_below.data(), s.gw_coef_left.data(),
                          s.gw_coef_right.data(), s.gw_coef_diag.data(),  s.gw_rhs.data()};
    for (int pass = 1;; ++pass) {
        if (pass >= picard_warning_pass)
            std::printf("GW IS NOT CONVERGING \n");
        if (pass >= picard_pass_limit) {
            std::printf("Error: Non-convergence in the groundwater after 1000 tries.\n");
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        update_transmissivity(s, n);
        assemble_equations(s, n, h);
        const int sweeps = gw_line_sor(s.elevgw.data(), s.gw_relax_coeff, s.num_rows, s.num_cols, eq,
                                       s.gw_lsor_con, s.gw_line, s.gw_sweep_order, s.gw_lsor_dir, s.mask);
        if (sweeps < 0) {
            report_error(error_state);
            return false;
        }
        ++s.gw_pass_count;
        s.gw_sweep_count += sweeps;
        const double c = largest_change(s, n);
        if (!(c > picard_tolerance))
            return true; // a head that is not a number is caught by the next scan
        if (richards)
            for (int j = 1; j <= n; ++j)
                if (!fixed_or_inactive(s.gwbound[j]))
                    gw_storage_from_nodes(s, j);
    }
}

void head_floor(model_state& s, int n)
{
    double* head = s.elevgw.data();
    const double* bottom = s.bottom_elev.data();
    double* sink = s.gw_sink.data();
#pragma omp parallel for schedule(static) if (n > parallel_cells)
    for (int i = 1; i <= n; ++i)
        if (head[i] < bottom[i] + min_thickness) {
            head[i] = bottom[i] + min_thickness;
            if (sink[i] > 0.0)
                sink[i] = 0.0;
        }
}

// The columns follow the new water table; with time left in the step the
// water they handed over is spread over the rest of it. Returns the volume
// that entered the aquifer that way.
double refit_columns(model_state& s, int n, double remaining)
{
    double v = 0.0;
    for (int c = 1; c <= n; ++c) {
        const double g = refit_richards_column(s, c, s.elevgw[c]);
        s.gw_unsat_gain[c] = g;
        s.gw_refit_exchange += g;
    }
    if (remaining <= 0.0)
        return v; // the last sub-step's water enters at the next step
    for (int c = 1; c <= n; ++c) {
        if (!fixed_or_inactive(s.gwbound[c])) {
            const double u = s.gw_unsat_gain[c] / -100.0 / remaining;
            s.gw_sink[c] += u;
            v -= u * remaining * s.gw_cell_dx[c] * s.gw_cell_dy[c];
        }
        s.soil_recharge_gw[c] += s.gw_unsat_gain[c];
        s.gw_unsat_gain[c] = 0.0;
    }
    return v;
}

// Volume that left each fixed-head cell into its ordinary neighbours over
// the sub-step.
void fixed_head_flux(model_state& s, int n, double h)
{
    const int* type = s.gwbound.data();
    const int* up = s.abovecon.data();
    const int* down = s.belowcon.data();
    const int* left = s.leftcon.data();
    const int* right = s.rightcon.data();
    const double* head = s.elevgw.data();
    const double* bottom = s.bottom_elev.data();
    const double* dx = s.gw_cell_dx.data();
    const double* dy = s.gw_cell_dy.data();
    const double* kx = s.gw_ksat_x.data();
    const double* ky = s.gw_ksat_y.data();
    double* flux = s.gw_flux.data();
#pragma omp parallel for schedule(static) if (n > parallel_cells)
    for (int i = 1; i <= n; ++i) {
        if (type[i] != 2)
            continue;
        const double b = head[i] - bottom[i];
        auto toward = [&](int j, double d, double w, double k) {
            if (j > 0 && type[j] != 2 && type[j] != 0)
                flux[i] += (head[i] - head[j]) / d * b * w * k * h;
        };
        toward(up[i], dy[i], dx[i], ky[i]);
        toward(down[i], dy[i], dx[i], ky[i]);
        toward(left[i], dx[i], dy[i], kx[i]);
        toward(right[i], dx[i], dy[i], kx[i]);
    }
}

} // namespace

double groundwater_solve(model_state& s, int n, double dt)
{
    if (n <= 0)
        return 0.0;
    if (!groundwater_solver_alloc(s, n))
        return 0.0;
    ++s.gw_solve_count;
    if (s.gw_boundary_count)
        wells_apply_rates(s.gw_pumping, n, s.current_time, s.gridsize);
    s.gw_refit_exchange = 0.0;
    // No time passed: the step's sources wait for the next one.
    if (!(dt > 0.0))
        return 0.0;
    double v = assemble_sinks(s, n, dt);

    const bool richards = s.inf_richards != 0;
    double h = dt;
    double remaining = dt;
    while (remaining > 0.0) {
        for (;;) {
            const int crossed = scan_substep(s, n, h);
            if (crossed < 0)
                return 0.0;
            if (crossed <= 2)
                break;
            h /= 2.0;
            if (!(h > 1.0))
                break;
        }
        if (remaining - h < 0.0)
            h = remaining;
        remaining -= h;
        if (!picard_passes(s, n, h))
            return 0.0;
        head_floor(s, n);
        if (richards)
            v += refit_columns(s, n, remaining);
        fixed_head_flux(s, n, h);
    }
    return v;
}
