// Depth update of one ADE sweep and the stability pre-check of a sub-step.
#include <cmath>
#include <cstdio>

#include <omp.h>

#include "overland/ade_face_discharge.h"
#include "overland/ade_kernels.h"

namespace
{

// Running sums of one thread's cells in a depth update.
struct update_sums {
    double bc_in = 0.0;
    double bc_out = 0.0;
    double outlet = 0.0;
    double cleanup = 0.0;
};

// Depth update of non-lake cell i by net = (q[up] - q[i]) dt / dx2 from
// depth h; `before` is its depth at the start of the sweep. Returns the new
// depth and raises the thread's status s; c is the cell's depth change.
inline double update_cell(const ade_grid& g, int i, double net, double h, double before, double area,
                          double dt, double limit, int outlet, int& s, double& c, update_sums& sums)
{
    c = net;
    if (g.block_frac && g.block_frac[i] < 1.0)
        c /= 1.0 - g.block_frac[i];
    if (g.fixed_head(i)) {
        // The cell keeps its depth; what flowed in or out is exchanged with
        // the boundary.
        const double vol = net * area;
        if (i == outlet)
            sums.outlet += vol;
        else if (vol > 0.0)
            sums.bc_out += vol;
        else
            sums.bc_in -= vol;
        return h;
    }
    double out = h + c;
    if (std::isnan(out)) {
        s = 2;
        return out;
    }
    if (out < 0.0) {
        if (out < -1e-5)
            s = 2;
        else if (out < -1e-8 && s < 1)
            s = 1;
        sums.cleanup -= out * area;
        out = 0.0;
    }
    if (s == 0 && std::fabs(c) > before * limit && before > 0.01 && dt > 0.1)
        s = 1;
    return out;
}

// Most threads whose sums are kept apart, so that they are added in thread
// order and a run gives the same volumes every time on the same threads.
constexpr int max_sum_threads = 256;

update_sums add_in_order(const update_sums* per_thread, int threads)
{
    update_sums t;
    for (int k = 0; k < threads; ++k) {
        t.bc_in += per_thread[k].bc_in;
        t.bc_out += per_thread[k].bc_out;
        t.outlet += per_thread[k].outlet;
        t.cleanup += per_thread[k].cleanup;
    }
    return t;
}

int sweep_threads(int n)
{
    if (n < ade_parallel_cells)
        return 1;
    const int t = omp_get_max_threads();
    return t < max_sum_threads ? t : max_sum_threads;
}

ade_sweep_result sweep_result(int status, const update_sums& sums)
{
    ade_sweep_result r;
    r.status = status;
    if (status == 2)
        return r;
    r.bc_in = sums.bc_in;
    r.bc_out = sums.bc_out;
    r.outlet = sums.outlet;
    r.cleanup = sums.cleanup;
    return r;
}

} // namespace

ade_sweep_result ade_sweep_update(const ade_grid& g, ade_direction dir, double dt, const double* q,
                                  double* depth, double* change, double* sweep_depth, double* qsum,
                                  double courant)
{
    const int n = g.n;
    const int* up = dir == ade_x ? g.left : g.above;
    const double area = g.dx * g.dx;
    const double scale = dt / area;
    const double limit = 0.5 * courant;
    const int outlet = g.chan_routing ? 0 : g.outlet;

    int status = 0;
    update_sums per_thread[max_sum_threads];
    int used = 1;
#pragma omp parallel num_threads(sweep_threads(n)) reduction(max : status)
    {
        int s = 0;
        update_sums sums;
#pragma omp for schedule(static)
        for (int i = 1; i <= n; ++i) {
            if (s == 2 || g.lake_cell(i))
                continue;
            if (qsum)
                qsum[i] += dt * q[i];
            const double h = update_cell(g, i, (q[up[i]] - q[i]) * scale, depth[i], sweep_depth[i], area, dt,
                                         limit, outlet, s, change[i], sums);
            depth[i] = h;
            sweep_depth[i] = h;
        }
        status = s;
        per_thread[omp_get_thread_num()] = sums;
        used = omp_get_num_threads();
    }
    const update_sums total = add_in_order(per_thread, used);
    return sweep_result(status, total);
}

namespace
{

// Cells of a sweep whose faces are found, then updated, together: small
// enough that their discharges and depths stay in the first-level cache.
constexpr int sweep_chunk = 256;

// Face discharges q[a..b) of the direction from the depths; a face marked
// stiff keeps the discharge of the implicit solve.
template <class Face>
inline void sweep_faces(const Face& face, const int* down, double* q, int a, int b, const unsigned char* flags,
                        unsigned char stiff_face)
{
    if (!flags) {
        for (int i = a; i < b; ++i)
            q[i] = face(i, down[i]);
        return;
    }
    for (int i = a; i < b; ++i) {
        const double f = face(i, down[i]);
        q[i] = (flags[i] & stiff_face) ? q[i] : f;
    }
}

// A copy of the plain face loop for processors with AVX2 (four discharges
// per instruction instead of two), chosen when the program starts. It has
// no fused multiply-add, so both copies give the same bits.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define ADE_VECTOR_COPIES __attribute__((target_clones("avx2", "default")))
#else
#define ADE_VECTOR_COPIES
#endif

// Plain face discharges q[a..b) (ade_plain_face bit for bit), written as
// selects over values loaded up front so that the loop runs in vector
// instructions; a face marked stiff keeps the discharge of the implicit
// solve.
ADE_VECTOR_COPIES
void plain_faces(int a, int b, const int* __restrict down, const double* __restrict depth,
                 const double* __restrict z, const double* __restrict rough, const double* __restrict retent,
                 double dx, double* __restrict q, const unsigned char* __restrict flags, unsigned char stiff_face)
{
    for (int i = a; i < b; ++i) {
        const int t = down[i];
        const double zi = z[i];
        const double zt = z[t];
        const double u = depth[i] + zi;
        const double v = depth[t] + zt;
        const double slope = (u - v) / dx;
        const bool downhill = slope > 0.0;
        const double ri = retent[i];
        const double rt = retent[t];
        const double ni = rough[i];
        const double nt = rough[t];
        const double d = (downhill ? u : v) - (downhill ? zi : zt) - (downhill ? ri : rt);
        const double a_slope = std::fabs(slope);
        const double sign = downhill ? 1.0 : -1.0;
        const double dd = d > 1e-16 ? d : 1.0; // keeps the root finite where the face is dry
        const double f = sign * ade_cbrt(dd * dd) * std::sqrt(a_slope) / (downhill ? ni : nt) * dd * dx;
        const bool flows = (t != 0) & (a_slope >= 1e-16) & (d >= 1e-16);
        const double found = flows ? f : 0.0;
        const double kept = q[i];
        q[i] = (flags[i] & stiff_face) ? kept : found;
    }
}

// Depth update of cells [a, b) on a grid without lakes, fixed-head or
// blocked cells, as a vector loop: every depth takes its change as it is,
// qsum gains dt q and, when asked, the change is kept; the depths and face
// volumes before are kept in `before` (2 per cell). Returns bit 1 when a
// change trips the instability test (a stiff cell's never does) and bit 2
// when a new depth is below 0 or not a number: the caller then puts the
// cells back and updates them one by one.
ADE_VECTOR_COPIES
int plain_update(int a, int b, const int* __restrict up, const double* __restrict q, double* __restrict qsum,
                 double* __restrict depth, double* __restrict change, const unsigned char* __restrict flags,
                 unsigned char stiff_cell, double scale, double dt, double limit, bool tests,
                 double* __restrict before)
{
    int found = 0;
    for (int i = a; i < b; ++i) {
        const double qi = q[i];
        const double c = (q[up[i]] - qi) * scale;
        const double h = depth[i];
        const double sum = qsum[i];
        before[2 * (i - a)] = h;
        before[2 * (i - a) + 1] = sum;
        depth[i] = h + c;
        qsum[i] = sum + dt * qi;
        if (change)
            change[i] = c;
        const double lim = (flags[i] & stiff_cell) ? HUGE_VAL : limit;
        const bool unstable = tests & (std::fabs(c) > h * lim) & (h > 0.01);
        const bool bad = !(h + c >= 0.0);
        found |= (unstable ? 1 : 0) | (bad ? 2 : 0);
    }
    return found;
}

} // namespace

ade_sweep_result ade_sweep(const ade_grid& g, ade_direction dir, double dt, double* depth, double* q,
                           double* change, double* qsum, double courant, const unsigned char* flags,
                           bool solved)
{
    const int n = g.n;
    const int* up = dir == ade_x ? g.left : g.above;
    const int* down = dir == ade_x ? g.right : g.below;
    const ade_face_sides sides = ade_face_sides_of(dir);
    const double area = g.dx * g.dx;
    const double scale = dt / area;
    const double limit = 0.5 * courant;
    const int outlet = g.chan_routing ? 0 : g.outlet;
    const bool plain = g.plain();
    const unsigned char stiff_face = ade_stiff_face_bit[dir];
    const unsigned char stiff_cell = solved ? ade_implicit_bit[ade_x] | ade_implicit_bit[ade_y] : 0;

    int status = 0;
    update_sums per_thread[max_sum_threads];
    int used = 1;
    q[0] = 0.0;
#pragma omp parallel num_threads(sweep_threads(n)) reduction(max : status)
    {
        // The thread's own block of cells, as a static schedule would give.
        const int nth = omp_get_num_threads();
        const int tid = omp_get_thread_num();
        const int base = n / nth;
        const int extra = n % nth;
        const int first = 1 + tid * base + (tid < extra ? tid : extra);
        const int last = first + base + (tid < extra ? 1 : 0) - 1;

        // The depths are updated in place, in cell order: a cell's upstream
        // neighbour comes before it and its downstream neighbour after it
        // in the numbering, so each face is found from the depths at the
        // start of the sweep before either of its cells changes. The faces
        // that leave the block (the cells at its end whose downstream
        // neighbour lies in the next block; the downstream neighbours grow
        // with the cell number) are found before any thread starts updating.
        int tail = last + 1;
        while (tail > first && (down[tail - 1] == 0 || down[tail - 1] > last))
            --tail;
        auto faces = [&](int a, int b) {
            if (plain && flags && g.retent)
                plain_faces(a, b, down, depth, g.z, g.rough, g.retent, g.dx, q, flags, stiff_face);
            else if (plain)
                sweep_faces([&](int i, int t) { return ade_plain_face(g, depth, i, t); }, down, q, a, b, flags,
                            stiff_face);
            else
                sweep_faces(
                    [&](int i, int t) { return ade_face_discharge(g, depth, i, t, sides); },
                    down, q, a, b, flags, stiff_face);
        };
        if (tail <= last)
            faces(tail, last + 1);
#pragma omp barrier

        int s = 0;
        update_sums sums;
        double c = 0.0;
        // Without lakes, fixed-head or blocked cells every cell takes its
        // change, which the vector loop does.
        const bool fast = plain && flags && qsum && !g.bc_type && !g.block_frac;
        double chunk_before[2 * sweep_chunk];
        for (int a = first; a <= last; a += sweep_chunk) {
            const int b = a + sweep_chunk < last + 1 ? a + sweep_chunk : last + 1;
            if (a < tail)
                faces(a, b < tail ? b : tail);
            if (s == 2)
                continue; // the step starts again
            if (fast) {
                const int found = plain_update(a, b, up, q, qsum, depth, change, flags, stiff_cell, scale, dt,
                                               limit, dt > 0.1, chunk_before);
                if (!(found & 2)) {
                    if ((found & 1) && s < 1)
                        s = 1;
                    continue;
                }
                for (int i = a; i < b; ++i) {
                    depth[i] = chunk_before[2 * (i - a)];
                    qsum[i] = chunk_before[2 * (i - a) + 1];
                }
            }
            // Cell by cell (a depth below 0 or not a number included).
            for (int i = a; i < b; ++i) {
                if (s == 2 || g.lake_cell(i))
                    continue;
                const double qi = q[i];
                if (qsum)
                    qsum[i] += dt * qi;
                // A stiff cell's change comes from the implicit solve, stable
                // at any sub-step: it does not shorten the next one.
                const double lim = flags && (flags[i] & stiff_cell) ? HUGE_VAL : limit;
                const double h = depth[i];
                depth[i] = update_cell(g, i, (q[up[i]] - qi) * scale, h, h, area, dt, lim, outlet, s, c, sums);
                if (change)
                    change[i] = c;
            }
        }
        status = s;
        per_thread[omp_get_thread_num()] = sums;
        used = omp_get_num_threads();
    }
    const update_sums total = add_in_order(per_thread, used);
    q[0] = 0.0;
    return sweep_result(status, total);
}

namespace
{

// Smallest water-surface difference taken across a face by the stiffness
// bound, m: it only keeps the bound finite, as a face without a drop
// carries no water. A nearly level pool is as stiff as its drops say; its
// cells go to the implicit solve rather than cut the sub-step.
constexpr double stiff_min_drop = 1e-9;

// How fast the faces of cell i in one direction answer a change of its
// depth, m2/s: over its upstream and downstream faces, the drop term
// dq/d(drop) = |q| / (2 drop) for q proportional to the root of the slope,
// and, on a face the cell feeds, the depth term 5/3 |q| / d of Manning's
// d^(5/3). An explicit update of the cell is stable while dt times this
// stays below the cell area.
inline double face_stiffness(const ade_grid& g, const double* q, const int* up, const int* down,
                             const double* depth, int i)
{
    const double w = depth[i] + g.z[i];
    const double d = depth[i] - (g.retent ? g.retent[i] : 0.0);
    const double feed = d > 1e-16 ? 5.0 / 3.0 / d : 0.0;
    double k = 0.0;
    const int u = up[i];
    if (u) {
        const double drop = std::fabs(depth[u] + g.z[u] - w);
        const double qu = q[u];
        k += std::fabs(qu) / (2.0 * (drop > stiff_min_drop ? drop : stiff_min_drop));
        if (qu < 0.0)
            k -= qu * feed;
    }
    const int t = down[i];
    if (t) {
        const double drop = std::fabs(w - depth[t] - g.z[t]);
        const double qi = q[i];
        k += std::fabs(qi) / (2.0 * (drop > stiff_min_drop ? drop : stiff_min_drop));
        if (qi > 0.0)
            k += qi * feed;
    }
    return k;
}

} // namespace

ade_precheck ade_stability_ratio(const ade_grid& g, const double* qx, const double* qy, double dt,
                                 const double* depth, double courant, double implicit_below, unsigned char* flags,
                                 int drain_cell, double drain_k, ade_stiff_set* found)
{
    const int n = g.n;
    const double area = g.dx * g.dx;
    const double scale = dt / area;
    const double limit = 0.25 * courant;
    // An explicit update is stable while dt times the faces' stiffness
    // stays below the cell area, and settles without ringing within half of
    // that. A cell whose four faces would need a sub-step below
    // implicit_below for this is marked implicit (only with flags); the
    // stiffness of the others bounds the sub-step, with the same half.
    const double implicit_stiffness = implicit_below > 0.0 && flags ? 0.5 * area / implicit_below : HUGE_VAL;
    const unsigned char clear =
        static_cast<unsigned char>(~(ade_implicit_bit[ade_x] | ade_implicit_bit[ade_y]));
    const double* qs[2] = {qx, qy};
    const int* ups[2] = {g.left, g.above};

    // Each thread keeps, per direction, the largest ratios of its block and
    // the first cell that reached the larger of them, and lists the cells
    // it marks; the blocks are taken in order, so the cell is the first of
    // the grid and the list is in cell order whatever the thread count.
    struct worst_cell {
        double ratio = 0.0;
        double stiff = 0.0;
        double both = 0.0;
        int cell = 0;
        int unstable = 0;
        int implicit = 0;
    };
    const int threads = sweep_threads(n);
    worst_cell per_thread[max_sum_threads][2];
    if (found && static_cast<int>(found->found.size()) < threads)
        ade_stiff_reserve(*found, n, threads);
    int used = 1;
    int listed = 0;
    int green_x = 0;
    int green_y = 0;
#pragma omp parallel num_threads(threads) reduction(max : green_x, green_y)
    {
        worst_cell w[2];
        std::vector<int>* mine = found ? &found->found[static_cast<size_t>(omp_get_thread_num())] : nullptr;
        if (mine)
            mine->clear();
#pragma omp for schedule(static)
        for (int i = 1; i <= n; ++i) {
            if (flags)
                flags[i] &= clear;
            if (g.lake_cell(i))
                continue;
            if (g.bc_type) {
                const int t = g.bc_type[i];
                if (t == 2 || t == 3 || t == 4 || t == 5 || t == 9)
                    continue;
            }
            const double h = depth[i];
            if (h <= 0.01)
                continue;
            // The faces of both directions: the implicit solve couples them.
            const double k_face[2] = {face_stiffness(g, qx, g.left, g.right, depth, i),
                                      face_stiffness(g, qy, g.above, g.below, depth, i)};
            const double k_drain = i == drain_cell ? drain_k : 0.0;
            for (int d = 0; d < 2; ++d) {
                double c = (qs[d][ups[d][i]] - qs[d][i]) * scale;
                if (g.block_frac)
                    c = g.block_frac[i] < 1.0 ? c / (1.0 - g.block_frac[i]) : 0.0;
                const double ratio = std::fabs(c) / (limit * h);
                if (std::isnan(ratio)) {
                    (d == 0 ? green_x : green_y) = 1;
                    continue;
                }
                // The drain of the outlet answers its depth too.
                const double k = k_face[d] + k_drain;
                if (k + k_face[1 - d] > implicit_stiffness) {
                    flags[i] |= ade_implicit_bit[d];
                    ++w[d].implicit;
                    continue;
                }
                const double stiff = 2.0 * k * scale;
                if (ratio > w[d].ratio)
                    w[d].ratio = ratio;
                if (stiff > w[d].stiff)
                    w[d].stiff = stiff;
                const double both = ratio > stiff ? ratio : stiff;
                if (both > w[d].both) {
                    w[d].both = both;
                    w[d].cell = i;
                }
                if ((dt > 0.1 && ratio > 1.0) || stiff > 1.0)
                    w[d].unstable = 1;
            }
            if (mine && (flags[i] & ~clear)) {
                // One more than a solve takes is enough to refuse the set.
                int k;
#pragma omp atomic capture
                k = listed++;
                if (k <= static_cast<int>(ade_stiff_cell_cap))
                    mine->push_back(i);
            }
        }
        per_thread[omp_get_thread_num()][0] = w[0];
        per_thread[omp_get_thread_num()][1] = w[1];
        used = omp_get_num_threads();
    }
    if (green_y)
        std::printf("green");
    if (green_x)
        std::printf("green");

    ade_precheck r;
    for (int d = 0; d < 2; ++d) {
        ade_stability& out = d == 0 ? r.x : r.y;
        double both = 0.0;
        for (int k = 0; k < used; ++k) {
            const worst_cell& w = per_thread[k][d];
            out.unstable |= w.unstable;
            out.implicit += w.implicit;
            if (w.ratio > out.ratio)
                out.ratio = w.ratio;
            if (w.stiff > out.stiff)
                out.stiff = w.stiff;
            if (w.both > both) {
                both = w.both;
                out.cell = w.cell;
            }
        }
    }
    // The marked cells of every thread, joined in thread order.
    if (found) {
        found->marked.clear();
        for (int k = 0; k < used; ++k)
            found->marked.insert(found->marked.end(), found->found[static_cast<size_t>(k)].begin(),
                                 found->found[static_cast<size_t>(k)].end());
    }
    return r;
}
