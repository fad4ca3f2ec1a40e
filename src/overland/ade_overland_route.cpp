// Alternating-direction overland routing of one overland step: ADE with
// adaptive sub-steps (OVERTYPE 2) or one predictor-corrector pass per
// direction (OVERTYPE 3), the outlet drain, the lake volumes, the water
// exchanged with fixed-head cells and the flow over embankment low spots.
#include <cmath>
#include <cstdio>

#include <omp.h>

#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/ade_kernels.h"
#include "overland/overland_steps.h"

namespace
{

template <class T> bool fits(const vec1<T>& v, int n)
{
    return v.size() >= n;
}

bool any_nonzero(const dvec& v, int n)
{
    if (!fits(v, n))
        return false;
    const double* p = v.data();
    int found = 0;
#pragma omp parallel for schedule(static) reduction(max : found) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i)
        if (p[i] != 0.0)
            found = 1;
    return found != 0;
}

void stop_run()
{
    std::printf("Program stopped.\n");
    error_set(err_stop);
    report_error(error_state);
}

// Depth check at the start of the step. Depths a little below 0 are set to
// 0 and the water this adds is booked as clean-up; false after a stop.
bool check_start_depths(const ade_grid& g, double* depth, double& cleanup)
{
    const int n = g.n;
    int bad = 0;
#pragma omp parallel for schedule(static) reduction(max : bad) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i)
        if (!(depth[i] >= 0.0))
            bad = 1;
    if (!bad)
        return true;
    const double area = g.dx * g.dx;
    for (int i = 1; i <= n; ++i) {
        const double h = depth[i];
        if (std::isnan(h)) {
            std::printf("Overland depth is NaN at beginning of overland routing time step in cell %ld \n",
                        static_cast<long>(i));
            stop_run();
            return false;
        }
        if (h < 0.0) {
            std::printf("Negative depth encountered at the beginning of the overland routing time step "
                        "in cell %ld \n",
                        static_cast<long>(i));
            if (h < -1e-5) {
                stop_run();
                return false;
            }
            cleanup -= h * area;
            depth[i] = 0.0;
        }
    }
    return true;
}

// Volumes that one direction's faces carry into and out of the lakes over
// tau seconds. Channel lakes also record their gains and losses.
void lake_accounting(const ade_grid& g, const std::vector<int>& lake_cells, ade_direction dir, double tau,
                     const double* q, double* lake_dv, double* lake_in, double* lake_out, double* olake_dv)
{
    const int* up = dir == ade_x ? g.left : g.above;
    const int* down = dir == ade_x ? g.right : g.below;
    for (const int i : lake_cells) {
        const int u = up[i];
        const int w = down[i];
        if (g.olake && g.olake[i] > 0) {
            const int k = g.olake[i];
            if (!(u && g.olake[u] > 0))
                olake_dv[k] += tau * q[u];
            if (!(w && g.olake[w] > 0))
                olake_dv[k] -= tau * q[i];
        }
        if (g.clake && g.clake[i] > 0) {
            const int k = g.clake[i];
            if (!(u && g.clake[u] > 0)) {
                const double a = tau * q[u];
                lake_dv[k] += a;
                if (a > 0.0)
                    lake_in[k] += a;
                else
                    lake_out[k] -= a;
            }
            if (!(w && g.clake[w] > 0)) {
                const double a = tau * q[i];
                lake_dv[k] -= a;
                if (a < 0.0)
                    lake_in[k] -= a;
                else
                    lake_out[k] += a;
            }
        }
    }
}

bool work_arrays_sized(const model_state& s)
{
    const int n = s.num_cells;
    if (s.ov_qx.size() != n || s.ov_qy.size() != n || s.ov_qx_sum.size() != n || s.ov_qy_sum.size() != n ||
        s.ov_depth_change.size() != n)
        return false;
    if (s.overtype == 3 && (s.ov_depth_pred.size() != n || s.ov_q_first.size() != n))
        return false;
    const int lakes = s.chan_lakes ? s.num_lakes : 0;
    return lakes <= 0 || (s.lake_in_dv.size() == lakes && s.lake_out_dv.size() == lakes);
}

bool has_lakes(const ade_grid& g)
{
    return g.clake || g.olake;
}

// The outlet cell drains by Manning's formula with the outlet slope; false
// when it does not drain (channel routing, a fixed-head or lake outlet).
bool outlet_drains(const ade_grid& g)
{
    return !g.chan_routing && g.outlet > 0 && g.outlet <= g.n && !g.fixed_head(g.outlet) &&
           !g.lake_cell(g.outlet);
}

// Blocked fraction of the outlet cell (OVR_FLOW_BLOCK): its water stands on
// the rest, so a depth removed there is the volume over that part.
double outlet_blocked_fraction(const ade_grid& g)
{
    const int o = g.outlet;
    return g.block_frac && g.block_frac[o] < 1.0 ? g.block_frac[o] : 0.0;
}

struct step_sums {
    double bc_in = 0.0;
    double bc_out = 0.0;
    double outlet = 0.0;
    double cleanup = 0.0;

    void add(const ade_sweep_result& r)
    {
        bc_in += r.bc_in;
        bc_out += r.bc_out;
        outlet += r.outlet;
        cleanup += r.cleanup;
    }
};

// The start of an attempt at the step over every non-lake cell: the depths
// copied (saved at the first attempt, restored at a restart) and the face
// volumes cleared, so that only the attempt that completes the step counts.
void begin_attempt(const ade_grid& g, const double* from, double* to, double* qx_sum, double* qy_sum)
{
#pragma omp parallel for schedule(static) if (g.n >= ade_parallel_cells)
    for (int i = 1; i <= g.n; ++i) {
        if (g.lake_cell(i))
            continue;
        to[i] = from[i];
        qx_sum[i] = 0.0;
        qy_sum[i] = 0.0;
    }
}

void apply_lake_changes(model_state& s, const ade_grid& g, ade_state& st)
{
    if (g.clake)
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_volume[k] += st.lake_dv[static_cast<size_t>(k)];
    if (g.olake)
        for (int k = 1; k <= s.num_oland_lakes; ++k)
            s.oland_lakes[static_cast<size_t>(k)].volume_in += st.olake_dv[static_cast<size_t>(k)];
}

void clear_lake_changes(model_state& s, const ade_grid& g, ade_state& st)
{
    if (g.clake)
        for (int k = 1; k <= s.num_lakes; ++k) {
            s.lake_in_dv[k] = 0.0;
            s.lake_out_dv[k] = 0.0;
            st.lake_dv[static_cast<size_t>(k)] = 0.0;
        }
    if (g.olake)
        for (int k = 1; k <= s.num_oland_lakes; ++k)
            st.olake_dv[static_cast<size_t>(k)] = 0.0;
}

// Names the cell of the worst instability and the advice to halve the
// step; when no cell was found (a depth that is not a number compares with
// nothing) the first cell whose depth, ground or roughness is not finite is
// named instead.
void report_worst_cell(const ade_grid& g, const double* depth, int worst_cell)
{
    if (worst_cell >= 1 && worst_cell <= g.n) {
        std::printf("The biggest instability problem was encountered at cell %ld \n",
                    static_cast<long>(worst_cell));
        std::printf("Reduce the model time step by a factor of 2 and try again.\n");
        return;
    }
    for (int i = 1; i <= g.n; ++i)
        if (!std::isfinite(depth[i]) || !std::isfinite(g.z[i]) || (g.rough && !std::isfinite(g.rough[i]))) {
            std::printf(
                "The overland depth of cell %d is not a finite number: check the inputs of that cell.\n", i);
            return;
        }
    std::printf("Reduce the model time step by a factor of 2 and try again.\n");
}

// ADE: sub-steps of both sweeps until the step is covered; a failed sweep
// restarts the step from its saved depths with half the sub-step.
bool route_ade(model_state& s, ade_state& st, const ade_grid& g, double step, step_sums& sums)
{
    double* depth = s.ov_depth.data();
    double* change = s.ov_depth_change.data();
    double* qx = s.ov_qx.data();
    double* qy = s.ov_qy.data();
    double* qx_sum = s.ov_qx_sum.data();
    double* qy_sum = s.ov_qy_sum.data();
    double* saved = st.saved_depth.data();
    const double area = g.dx * g.dx;

    const bool drains = outlet_drains(g);
    const double open_o = drains ? 1.0 - outlet_blocked_fraction(g) : 1.0; // water stands on this part

    // First sub-step: the one that ended the previous step, checked against
    // the discharges that step left. Cells that could not take a sub-step
    // of implicit_below on their own are updated implicitly and left out
    // of the check; the rest set the sub-step.
    double dt = step;
    int worst_cell = 0;
    double implicit_below = step < ade_implicit_limit ? step : ade_implicit_limit;
    unsigned char* flags = st.cell_flags.data();
    ade_stiff_set& stiff_set = st.stiff;
    ade_clear_stiff_set(g, flags, stiff_set);
    if (st.calls_made > 1 && st.last_dt > 0.0) {
        dt = step - st.last_dt > 0.001 ? st.last_dt : step;
        for (;;) {
            // The drain answers the outlet depth with 5/3 Q / h (per unit
            // of depth over the open part): it counts with the outlet's faces.
            double drain_k = 0.0;
            if (drains) {
                const double h = depth[g.outlet];
                drain_k = h > 0.0 ? 5.0 / 3.0 * ade_outlet_discharge(g, h) / (h * open_o) : 0.0;
            }
            const int drain_cell = drains ? g.outlet : 0;
            const ade_precheck r = ade_stability_ratio(g, qx, qy, dt, depth, st.courant, implicit_below, flags,
                                                       drain_cell, drain_k, &stiff_set);
            const ade_stability& rx = r.x;
            const ade_stability& ry = r.y;
            size_t band = 0;
            if (rx.implicit > 0 || ry.implicit > 0)
                band = ade_build_stiff_set(g, flags, stiff_set);
            if (band > ade_stiff_band_cap && implicit_below > 0.01) {
                // Too many stiff cells for one solve: fewer go implicit,
                // and the explicit ones hold the sub-step shorter.
                ade_clear_stiff_set(g, flags, stiff_set);
                implicit_below *= 0.5;
                continue;
            }
            // A stiff outlet drains inside the solve.
            stiff_set.drain_cell =
                drains && (flags[g.outlet] & (ade_implicit_bit[ade_x] | ade_implicit_bit[ade_y])) ? g.outlet
                                                                                                  : 0;
            const double worst = rx.ratio > ry.ratio ? rx.ratio : ry.ratio;
            const double stiff = rx.stiff > ry.stiff ? rx.stiff : ry.stiff;
            worst_cell = rx.cell != 0 ? rx.cell : ry.cell;
            if (rx.unstable || ry.unstable || stiff > 1.0) {
                dt = dt / (worst > stiff ? worst : stiff);
                if (dt < st.min_dt)
                    dt = st.min_dt / 10.0 + st.min_dt;
            } else if (worst < 0.5) {
                // Grow by 1.4, no further than the explicit cells' stiffness allows.
                double grown = 1.4 * dt;
                if (stiff > 0.0 && grown > dt / stiff)
                    grown = dt / stiff;
                if (step - grown > -1e-16)
                    dt = grown;
                ++st.stable_count;
            }
            if (st.courant < 1.0 && st.stable_count > 100) {
                st.courant = st.courant * 2.0 > 1.0 ? 1.0 : st.courant * 2.0;
                st.stable_count = 0;
            }
            break;
        }
    }
    const bool drain_in_solve = drains && stiff_set.drain_cell != 0;

    begin_attempt(g, depth, saved, qx_sum, qy_sum);
    bool restart = false;

    const ade_direction order[2][2] = {{ade_x, ade_y}, {ade_y, ade_x}};
    const ade_direction* dirs = s.sweep_order == 1 ? order[0] : order[1];
    const bool lakes = has_lakes(g);

    for (;;) { // one attempt at the whole step
        st.shrink = 0;
        clear_lake_changes(s, g, st);
        if (dt < st.min_dt) {
            std::printf("The ADE overland routing time step is getting really small\n");
            std::printf("Your time step is %lf seconds \n", dt);
            std::printf("Minimum time step allowed for your problem is %lf seconds \n", st.min_dt);
            report_worst_cell(g, depth, worst_cell);
            stop_run();
            return false;
        }
        // A restart begins again from the saved depths.
        if (restart)
            begin_attempt(g, saved, depth, qx_sum, qy_sum);
        restart = true;
        sums = step_sums();

        bool failed = false;
        double remaining = step;
        while (remaining > 1e-16) {
            if (st.shrink) {
                dt *= 0.6;
                if (dt < st.min_dt)
                    dt = st.min_dt / 10.0 + st.min_dt;
            }
            st.last_dt = dt;
            remaining -= dt;
            if (0.5 * dt > remaining) {
                dt += remaining;
                remaining = 0.0;
            }
            st.shrink = 0;

            const bool last = remaining <= 0.0;
            if (!stiff_set.cells.empty()) {
                ade_solve_stiff(g, dt, depth, qx, qy, stiff_set);
                st.implicit_updates += static_cast<long long>(stiff_set.cells.size());
            }
            for (int k = 0; k < 2 && !failed; ++k) {
                const ade_direction d = dirs[k];
                double* q = d == ade_x ? qx : qy;
                ++st.sweeps;
                const ade_sweep_result r =
                    ade_sweep(g, d, dt, depth, q, last ? change : nullptr, d == ade_x ? qx_sum : qy_sum,
                              st.courant, flags, !stiff_set.cells.empty());
                if (r.status == 2) {
                    dt *= 0.5;
                    st.courant *= 0.5;
                    st.stable_count = 0;
                    failed = true;
                    break;
                }
                sums.add(r);
                if (r.status > st.shrink)
                    st.shrink = r.status;
                if (lakes)
                    lake_accounting(g, st.lake_cells, d, dt, q, st.lake_dv.data(), s.lake_in_dv.data(),
                                    s.lake_out_dv.data(), st.olake_dv.data());
            }
            if (failed)
                break;

            if (drains) {
                const int o = g.outlet;
                const double h = depth[o];
                // A stiff outlet drains what the solve found for it.
                const double vol = drain_in_solve ? stiff_set.drained : dt * ade_outlet_discharge(g, h);
                const double removal = vol / (area * open_o);
                change[o] = removal;
                if (removal > h) {
                    sums.outlet += area * open_o * h;
                    depth[o] = 0.0;
                } else {
                    depth[o] = h - removal;
                    sums.outlet += vol;
                }
            }
        }
        if (!failed)
            break;
    }
    apply_lake_changes(s, g, st);
    return true;
}

// ADE-PC: one predictor-corrector pass per direction over the whole step.
void route_ade_pc(model_state& s, ade_state& st, const ade_grid& g, double step, step_sums& sums)
{
    double* depth = s.ov_depth.data();
    double* pred = s.ov_depth_pred.data();
    double* change = s.ov_depth_change.data();
    double* q_first = s.ov_q_first.data();
    double* qx = s.ov_qx.data();
    double* qy = s.ov_qy.data();
    const double area = g.dx * g.dx;
    const double tau = st.step_over_area;

#pragma omp parallel for schedule(static) if (g.n >= ade_parallel_cells)
    for (int i = 1; i <= g.n; ++i) {
        pred[i] = depth[i];
        if (g.lake_cell(i))
            continue;
        change[i] = 0.0;
        qx[i] = 0.0;
        qy[i] = 0.0;
    }

    const bool drains = outlet_drains(g);
    const int o = g.outlet;
    const double f_o = drains ? outlet_blocked_fraction(g) : 0.0;
    const ade_direction dirs[2] = {s.sweep_order == 1 ? ade_x : ade_y, s.sweep_order == 1 ? ade_y : ade_x};
    for (const ade_direction d : dirs) {
        double* q = d == ade_x ? qx : qy;
        ade_face_fluxes(g, depth, d, q);
        ++st.sweeps;
        ade_pc_predictor(g, d, tau, q, depth, change, pred);
        if (drains) {
            const double removal = 0.5 * ade_outlet_discharge(g, pred[o]) * tau / (1.0 - f_o);
            change[o] = removal;
            pred[o] -= removal;
        }
        ade_pc_save(g, d, q, q_first);
        ade_face_fluxes(g, pred, d, q);
        ade_pc_average(g, d, q, q_first);
        sums.add(ade_pc_corrector(g, d, tau, q, depth, change));
        if (drains) {
            const double h = depth[o];
            const double half_q = 0.5 * ade_outlet_discharge(g, h);
            const double removal = half_q * tau / (1.0 - f_o);
            change[o] = removal;
            if (removal > h) {
                // The cell's water stands on its unblocked part.
                sums.outlet += area * h * (1.0 - f_o);
                depth[o] = 0.0;
            } else {
                depth[o] = h - removal;
                sums.outlet += half_q * step;
            }
        }
    }

    if (has_lakes(g)) {
        clear_lake_changes(s, g, st);
        for (const ade_direction d : dirs)
            lake_accounting(g, st.lake_cells, d, step, d == ade_x ? qx : qy, st.lake_dv.data(),
                            s.lake_in_dv.data(), s.lake_out_dv.data(), st.olake_dv.data());
        apply_lake_changes(s, g, st);
    }
}

} // namespace

ade_grid ade_grid_from_state(model_state& s)
{
    ade_grid g;
    const int n = s.num_cells;
    g.n = n;
    g.dx = s.gridsize;
    g.right = s.rightcon.data();
    g.left = s.leftcon.data();
    g.above = s.abovecon.data();
    g.below = s.belowcon.data();
    g.z = s.ground_elev.data();
    g.rough = s.dist_rough.data();
    if (fits(s.retent_dep, n))
        g.retent = s.retent_dep.data();
    if (any_nonzero(s.roughness_exp, n))
        g.rough_exp = s.roughness_exp.data();
    if (s.dike_map_given && fits(s.dike_mask, n))
        g.dike = s.dike_mask.data();
    if (s.ov_boundary && fits(s.boundary_type, n))
        g.bc_type = s.boundary_type.data();
    if (s.ovr_flow_block && fits(s.ov_block_frac, n))
        g.block_frac = s.ov_block_frac.data();
    if (s.ovr_flow_block && s.ovr_flow_block_frac.rows() >= n && s.ovr_flow_block_frac.cols() >= 4) {
        g.side_block = s.ovr_flow_block_frac.data();
        g.side_stride = s.ovr_flow_block_frac.cols() + 1;
    }
    if (s.chan_lakes && s.num_lakes > 0 && fits(s.lake_mask, n) && fits(s.lake_elev, s.num_lakes) &&
        fits(s.lake_volume, s.num_lakes)) {
        g.clake = s.lake_mask.data();
        g.lake_elev = s.lake_elev.data();
    }
    if (s.overland_lake_on && s.num_oland_lakes > 0 && fits(s.oland_lake_new, n) &&
        static_cast<int>(s.oland_lakes.size()) > s.num_oland_lakes) {
        g.olake = s.oland_lake_new.data();
        g.olakes = s.oland_lakes.data();
    }
    if (s.wetlands_on && fits(s.wetland_mask, n) && !s.wetland_props.empty()) {
        g.wetland = s.wetland_mask.data();
        g.wetlands = s.wetland_props.data();
    }
    if (s.route_lat_snow && fits(s.snow_swe, n) && s.sn_stat.rows() >= n && s.sn_stat.cols() >= 20) {
        g.snow_swe = s.snow_swe.data();
        g.snow_stat = s.sn_stat.data();
        g.snow_stride = s.sn_stat.cols() + 1;
    }
    g.snow_darcy_f = s.snow_darcy_f;
    g.outlet = s.outlet_cell;
    g.outslope = s.outslope;
    g.chan_routing = s.chan_explicit;
    return g;
}

ade_state& ade_process_state()
{
    static ade_state state;
    return state;
}

void ade_state_reserve(ade_state& st, int n, int num_lakes, int num_oland_lakes)
{
    auto grow = [](std::vector<double>& v, int count) {
        const size_t need = static_cast<size_t>(count < 0 ? 0 : count) + 1;
        if (v.size() < need)
            v.resize(need, 0.0);
    };
    grow(st.saved_depth, n);
    if (st.cell_flags.size() < static_cast<size_t>(n) + 1)
        st.cell_flags.resize(static_cast<size_t>(n) + 1, 0);
    grow(st.lake_dv, num_lakes);
    grow(st.olake_dv, num_oland_lakes);
    if ((num_lakes > 0 || num_oland_lakes > 0) && st.lake_cells.capacity() < static_cast<size_t>(n))
        st.lake_cells.reserve(static_cast<size_t>(n));
    ade_stiff_reserve(st.stiff, n, omp_get_max_threads());
}

double ade_overland_route(model_state& s, ade_state& st, double step)
{
    const int n = s.num_cells;
    if (!overland_routing_ready(s))
        return 0.0;
    if (!work_arrays_sized(s))
        alloc_overland_routing(s); // done at start-up by a run
    ade_state_reserve(st, n, s.num_lakes, s.num_oland_lakes);
    const ade_grid g = ade_grid_from_state(s);

    // The cell area, the step over it and the smallest sub-step follow the
    // grid and step of the current run.
    const double area = g.dx * g.dx;
    st.exponent = 5.0 / 3.0;
    st.cell_area = area;
    st.step_over_area = step / area;
    st.min_dt = g.dx * 0.001 / 100.0;
    ++st.calls_made;

    double start_cleanup = 0.0;
    if (!check_start_depths(g, s.ov_depth.data(), start_cleanup))
        return -1.0;
    s.ov_cleanup_volume += start_cleanup;

    // The lake cells of this step, for the lake accounting of every sweep.
    st.lake_cells.clear();
    if (has_lakes(g))
        for (int i = 1; i <= n; ++i)
            if (g.lake_cell(i))
                st.lake_cells.push_back(i);

    step_sums sums;
    if (s.overtype == 2) {
        if (!route_ade(s, st, g, step, sums))
            return -1.0;
    } else if (s.overtype == 3) {
        route_ade_pc(s, st, g, step, sums);
    }

    if (s.lowspot_file_given && s.lowspot_count > 0) {
        double out = 0.0;
        double in = 0.0;
        embankment_flow(s, step, out, in);
        sums.bc_out += out;
        sums.bc_in += in;
    }
    s.head_bc_out_total += sums.bc_out;
    s.head_bc_in_total += sums.bc_in;
    s.ov_cleanup_volume += sums.cleanup;
    return sums.outlet;
}
