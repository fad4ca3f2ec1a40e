// Explicit overland routing of one overland step: every cell exchanges
// water with its right and its lower neighbour by Manning's law on the
// water-surface slope (a layered law in wetland cells), in sub-steps that
// are cut by three when a face moves too much water; then the flow over
// embankment low spots and the outlet drain.
//
// Each sweep computes the discharge of every face into ov_qx or ov_qy; the
// depth change of a cell is then gathered from its own faces, so no thread
// writes another thread's cells and the result does not depend on the
// thread count.
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "core/parallel.h"
#include "overland/ov_explicit.h"
#include "overland/overland_steps.h"
#include "overland/surface_state.h"

namespace
{

constexpr double split_depth = 0.06;        // m moved by one face in one sub-step
constexpr double split_negative = -0.0001;  // m
constexpr double smallest_split_dt = 0.005; // s
constexpr int max_divisions = 5;
constexpr int remembered_calls = 4;
constexpr double outlet_power = 1.666667;

struct sweep_result {
    int requests = 0;
    int too_small = 0;
};

// Face discharges of one direction from the depths h; faces without a
// neighbour or behind an embankment carry nothing.
sweep_result sweep_faces(const ov_explicit_grid& g, bool right_face, double dt, const double* h, double* q)
{
    const int n = g.n;
    const int* down = right_face ? g.right : g.below;
    const int dike_bit = right_face ? 2 : 4;
    const char* split_line = right_face ? "need to split...(x-dir) curr_du=%lf, dhh=%lf, h[j]+dhh=%lf\n"
                                        : "need to split...(y-dir) curr_du=%lf, dhh=%lf, h[j]+dhh=%lf\n";
    const double scale = dt / g.dx;
    int requests = 0;
    int too_small = 0;
    q[0] = 0.0;
#pragma omp parallel if (n >= parallel_min_cells) reduction(+ : requests) reduction(max : too_small)
    {
        int small = 0;
#pragma omp for schedule(static)
        for (int i = 1; i <= n; ++i) {
            const int j = down[i];
            if (j == 0 || (g.dike && (g.dike[i] & dike_bit))) {
                q[i] = 0.0;
                continue;
            }
            bool tested = false;
            const double qi = ov_explicit_face_q(g, i, j, right_face, h, tested);
            q[i] = qi;
            if (!tested)
                continue;
            const double dh = qi * scale;
            if (std::fabs(dh) >= split_depth || h[i] + dh < split_negative) {
                if (!small)
                    std::printf(split_line, std::fabs(dh), dh, h[i] + dh);
                if (dt > smallest_split_dt)
                    ++requests;
                else
                    small = 1;
            }
        }
        too_small = small;
    }
    sweep_result r;
    r.requests = requests;
    r.too_small = too_small;
    return r;
}

// Each cell takes the change of its faces over dt (faces of a null
// direction carry nothing; cells of a lake keep their depth). Fixed-head
// cells keep their depth and exchange the difference with the boundary; a
// depth left below zero by a face that stayed unstable is set to zero and
// the water this adds is booked as clean-up.
template <bool X, bool Y, bool Lakes>
ov_explicit_sums apply_faces(const ov_explicit_grid& g, double dt, const double* qx, const double* qy,
                             const int* lake, double* h)
{
    const int n = g.n;
    const double scale = dt / g.dx;
    const double area = g.dx * g.dx;
    double bc_in = 0.0;
    double bc_out = 0.0;
    double cleanup = 0.0;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells) reduction(+ : bc_in, bc_out, cleanup)
    for (int i = 1; i <= n; ++i) {
        if (Lakes && lake[i] > 0)
            continue;
        double c = 0.0;
        if (X)
            c += (qx[g.left[i]] - qx[i]) * scale;
        if (Y)
            c += (qy[g.above[i]] - qy[i]) * scale;
        if (g.fixed_head(i)) {
            const double vol = c * area;
            if (vol > 0.0)
                bc_out += vol;
            else
                bc_in -= vol;
            continue;
        }
        const double d = h[i] + c;
        if (d < 0.0) {
            cleanup -= d * area;
            h[i] = 0.0;
        } else {
            h[i] = d;
        }
    }
    ov_explicit_sums r;
    r.bc_in = bc_in;
    r.bc_out = bc_out;
    r.cleanup = cleanup;
    return r;
}

void copy_depths(int n, const double* from, double* to)
{
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i)
        to[i] = from[i];
}

// The sub-step loop over the whole step; false after a division asked for
// a restart from the saved depths.
bool attempt(model_state& s, ov_explicit_state& st, const ov_explicit_grid& g, double step, double& dt,
             int& divisions, int& too_small, ov_explicit_sums& sums, const clake_view* lakes)
{
    double* h = s.ov_depth.data();
    double* qx = s.ov_qx.data();
    double* qy = s.ov_qy.data();
    const bool lower_first = st.toggle == 1;
    copy_depths(g.n, st.saved_depth.data(), h);
    if (lakes) {
        // The lakes start the attempt as they entered the call.
        for (int k = 1; k <= lakes->count; ++k) {
            lakes->volume[k] = st.saved_lake_volume[static_cast<size_t>(k)];
            lakes->in[k] = lakes->out[k] = 0.0;
        }
    }
    sums = ov_explicit_sums();
    double covered = 0.0;
    while (!(std::fabs(covered - step) < 0.0001 || covered > step)) {
        // The last sub-step is cut to what remains of the step.
        const double sub = dt < step - covered ? dt : step - covered;
        for (int k = 0; k < 2; ++k) {
            const bool right_face = (k == 0) != lower_first;
            sweep_result r;
            r.too_small = too_small;
            if (lakes)
                r.requests = clake_sweep(g, *lakes, right_face, sub, h, right_face ? qx : qy, s.quiet, r.too_small);
            else
                r = sweep_faces(g, right_face, sub, h, right_face ? qx : qy);
            ++st.sweeps;
            if (r.too_small)
                too_small = 1;
            if (too_small || r.requests == 0)
                continue;
            if (divisions < max_divisions) {
                dt /= 3.0;
                ++divisions;
                if (!s.quiet)
                    std::printf(" *Changing overland time step to %4.2lf seconds...\n", dt);
                st.remembered_dt = dt;
                st.calls_left = remembered_calls;
                return false;
            }
            too_small = 1;
            if (!s.quiet)
                std::printf(" *Time step to small to divide, continuing with current time step\n");
        }
        if (lakes)
            clake_book(g, *lakes, sub, h, qx, qy);
        const ov_explicit_sums d = lakes ? apply_faces<true, true, true>(g, sub, qx, qy, lakes->lake, h)
                                         : apply_faces<true, true, false>(g, sub, qx, qy, nullptr, h);
        sums.bc_in += d.bc_in;
        sums.bc_out += d.bc_out;
        sums.cleanup += d.cleanup;
        covered += sub;
    }
    return true;
}

bool outlet_drains(const model_state& s, const ov_explicit_grid& g)
{
    const int o = s.outlet_cell;
    return !s.chan_explicit && o > 0 && o <= g.n && !g.fixed_head(o);
}

} // namespace

ov_explicit_sums ov_explicit_apply(const ov_explicit_grid& g, double dt, const double* qx, const double* qy,
                                   const int* lake, double* h)
{
    if (qx && qy)
        return lake ? apply_faces<true, true, true>(g, dt, qx, qy, lake, h)
                    : apply_faces<true, true, false>(g, dt, qx, qy, lake, h);
    if (qx)
        return lake ? apply_faces<true, false, true>(g, dt, qx, qy, lake, h)
                    : apply_faces<true, false, false>(g, dt, qx, qy, lake, h);
    return lake ? apply_faces<false, true, true>(g, dt, qx, qy, lake, h)
                : apply_faces<false, true, false>(g, dt, qx, qy, lake, h);
}

ov_explicit_grid ov_explicit_grid_from_state(model_state& s)
{
    ov_explicit_grid g;
    const int n = s.num_cells;
    g.n = n;
    g.dx = s.gridsize;
    g.right = s.rightcon.data();
    g.left = s.leftcon.data();
    g.above = s.abovecon.data();
    g.below = s.belowcon.data();
    g.slope_x = s.slope_x.data();
    g.slope_y = s.slope_y.data();
    g.rough = s.dist_rough.data();
    if (s.retent_dep.size() >= n)
        g.retent = s.retent_dep.data();
    if (s.roughness_exp.size() >= n) {
        for (int i = 1; i <= n && !g.rough_exp; ++i)
            if (s.roughness_exp[i] != 0.0)
                g.rough_exp = s.roughness_exp.data();
    }
    if (s.dike_map_given && s.dike_mask.size() >= n)
        g.dike = s.dike_mask.data();
    if ((s.ov_boundary || s.xybdyinput_ovdep) && s.boundary_type.size() >= n)
        g.bc_type = s.boundary_type.data();
    if (s.wetlands_on && s.wetland_mask.size() >= n && !s.wetland_props.empty()) {
        g.wetland = s.wetland_mask.data();
        g.wetlands = s.wetland_props.data();
    }
    return g;
}

double ov_explicit_face_q(const ov_explicit_grid& g, int i, int j, bool right_face, const double* h,
                          bool& tested)
{
    const double sg = right_face ? g.slope_x[i] : g.slope_y[i];
    double S = sg - (h[j] - h[i]) / g.dx + 1e-30;
    if (std::fabs(S) < 1e-20)
        S = 1e-20; // a flat face counts as falling towards j
    const bool down = S >= 0.0;
    const double ri = g.retent ? g.retent[i] : 0.0;
    const int wi = g.wetland ? g.wetland[i] : 0;
    tested = true;

    if (wi < 1) {
        if (h[i] < ri) {
            tested = false;
            return 0.0;
        }
        const double d = down ? h[i] - ri : h[j] - ri;
        if (d <= 0.0)
            return 0.0;
        const double q = ov_manning(std::fabs(S), ov_explicit_roughness(g, i, h), d);
        return down ? q : -q;
    }

    const wetland_rec& w = g.wetlands[wi];
    const bool j_wet = g.wetland[j] >= 1;
    const double T = w.layer_depth;
    const double K1 = w.layer_conductivity;
    double d;
    if (down)
        d = h[i] - T;
    else
        d = j_wet ? h[j] - T : h[j] - (g.retent ? g.retent[j] : 0.0);
    if (d <= 0.0) {
        // Water within the porous layer.
        if (down)
            return K1 * S * h[i];
        return j_wet ? K1 * S * h[j] : 0.0;
    }
    if (j_wet)
        return wetland_blend(w, S, down ? h[i] - T : h[j] - T);
    if (down)
        return ov_manning(S, ov_explicit_roughness(g, j, h), d);
    return -ov_manning(std::fabs(S), right_face ? ov_explicit_roughness(g, i, h) : ov_explicit_roughness(g, j, h), d);
}

double wetland_blend(const wetland_rec& w, double S, double e)
{
    const double T = w.layer_depth;
    const double K1 = w.layer_conductivity;
    const double M = (S >= 0.0 ? 1.0 : -1.0) * ov_manning(std::fabs(S), w.wetland_roughness, e);
    const double D = w.transition_depth;
    if (e > D)
        return K1 * S * T + M;
    return K1 * S * T + (1.0 - e / D) * w.surface_conductivity * S * e + M * e / D;
}

ov_explicit_state& ov_explicit_process_state()
{
    static ov_explicit_state state;
    return state;
}

void ov_explicit_reserve(ov_explicit_state& st, int n)
{
    const size_t need = static_cast<size_t>(n < 0 ? 0 : n) + 1;
    if (st.saved_depth.size() != need)
        st.saved_depth.assign(need, 0.0);
}

double ov_explicit_route(model_state& s, ov_explicit_state& st, double step)
{
    const int n = s.num_cells;
    if (!overland_routing_ready(s) || !(step > 0.0))
        return 0.0;
    // Both are done at start-up by a run.
    if (s.ov_qx.size() != n || s.ov_qy.size() != n)
        alloc_overland_routing(s);
    if (s.slope_x.size() < n || s.slope_y.size() < n) {
        s.slope_x.assign(n, 0.0);
        s.slope_y.assign(n, 0.0);
        compute_cell_slopes(s);
    }
    ov_explicit_reserve(st, n); // a no-op unless the run's cell count changed
    const ov_explicit_grid g = ov_explicit_grid_from_state(s);

    // Entry: the sweep order of this call and its starting sub-step.
    st.toggle = st.toggle == 0 ? 1 : 0;
    double dt = step;
    if (st.calls_left <= 0) {
        if (st.reset_notice) {
            if (!s.quiet)
                std::printf("Resetting time step to %4.2lf for overland flow...\n", step);
            st.reset_notice = 0;
        }
    } else {
        dt = st.remembered_dt < step ? st.remembered_dt : step;
        --st.calls_left;
        st.reset_notice = 1;
    }
    copy_depths(n, s.ov_depth.data(), st.saved_depth.data());

    int divisions = 0;
    int too_small = 0;
    ov_explicit_sums sums;
    const bool clakes = s.chan_lakes && s.num_lakes > 0 && s.lake_mask.size() >= n &&
                        s.lake_volume.size() >= s.num_lakes && s.lake_in_dv.size() >= s.num_lakes &&
                        s.lake_out_dv.size() >= s.num_lakes && s.lake_elev.size() >= s.num_lakes;
    if (clakes) {
        clake_view v;
        v.lake = s.lake_mask.data();
        v.z = s.ground_elev.data();
        v.stage = s.lake_elev.data();
        v.volume = s.lake_volume.data();
        v.in = s.lake_in_dv.data();
        v.out = s.lake_out_dv.data();
        v.count = s.num_lakes;
        st.saved_lake_volume.assign(v.volume, v.volume + v.count + 1);
        while (!attempt(s, st, g, step, dt, divisions, too_small, sums, &v)) {
        }
    } else if (s.overland_lake_on && s.oland_lake_new.size() >= n) {
        sums = olake_explicit_pass(s, g, step);
    } else {
        while (!attempt(s, st, g, step, dt, divisions, too_small, sums, nullptr)) {
        }
    }

    double result = 0.0;
    if (s.lowspot_file_given && s.lowspot_count > 0) {
        double out = 0.0;
        double in = 0.0;
        embankment_flow(s, step, out, in);
        sums.bc_out += out;
        sums.bc_in += in;
    }
    if (outlet_drains(s, g)) {
        // The outlet drains over the domain edge, at most the water it holds.
        const int o = s.outlet_cell;
        const double h = s.ov_depth[o];
        const double area = g.dx * g.dx;
        if (h > 0.0) {
            const double q =
                std::pow(h, outlet_power) * std::sqrt(s.outslope) * g.dx / ov_explicit_roughness(g, o, s.ov_depth.data());
            const double removal = q * step / area;
            if (removal > h) {
                result = h * area;
                s.ov_depth[o] = 0.0;
            } else {
                s.ov_depth[o] = h - removal;
                result = q * step;
            }
        }
    }
    s.head_bc_out_total += sums.bc_out;
    s.head_bc_in_total += sums.bc_in;
    s.ov_cleanup_volume += sums.cleanup;

    double* qx = s.ov_qx.data();
    double* qy = s.ov_qy.data();
    const double dx = g.dx;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        qx[i] *= dx;
        qy[i] *= dx;
    }
    return result;
}
