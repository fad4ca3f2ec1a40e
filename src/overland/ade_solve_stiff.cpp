// The stiff cells of an ADE sub-step: the cells whose faces answer a change
// of depth too fast for an explicit update (the nearly level pool round an
// outlet, where much water crosses small drops). They are updated by one
// linearised backward-Euler solve over both directions' faces, one banded
// system per connected part; the sweeps then carry the discharges of those
// faces, so every face is booked once and the two sweeps do not trade
// water through the pool.
#include <algorithm>

#include "overland/ade_face_discharge.h"
#include "overland/ade_kernels.h"

namespace
{

// Water surface of a cell as the face discharge sees it: a lake cell's is
// its lake's stage.
inline double stiff_surface(const ade_grid& g, const double* depth, int i)
{
    if (g.olake && g.olake[i] > 0)
        return g.olakes[g.olake[i]].stage;
    if (g.clake && g.clake[i] > 0)
        return g.lake_elev[g.clake[i]];
    return depth[i] + g.z[i];
}

// Discharge q0 of the face from p to t and how it answers changes of the
// two depths: dq = a dh_p + b dh_t, a >= 0 >= b. The drop between the
// surfaces enters through the chord q0 / drop (the discharge goes as the
// root of the drop, so the chord is twice the tangent: it damps where the
// tangent would overshoot a nearly level pool), the flow depth of the
// upstream cell through the tangent 5/3 q0 / d of Manning's d^(5/3).
inline ade_face_line stiff_face(const ade_grid& g, const double* depth, ade_direction dir, int p, int t)
{
    ade_face_line f;
    if (p == 0 || t == 0)
        return f;
    f.q0 = ade_face_discharge(g, depth, p, t, ade_face_sides_of(dir));
    if (f.q0 == 0.0)
        return f;
    const double drop = stiff_surface(g, depth, p) - stiff_surface(g, depth, t);
    const double chord = f.q0 * drop > 0.0 ? f.q0 / drop : 0.0;
    const int up = f.q0 > 0.0 ? p : t;
    const double d = depth[up] - (g.retent ? g.retent[up] : 0.0);
    const double kin = d > 1e-16 && !g.lake_cell(up) ? 5.0 / 3.0 * f.q0 / d : 0.0;
    f.a = chord + (up == p ? kin : 0.0);
    f.b = -chord + (up == t ? kin : 0.0);
    return f;
}

// Place of cell c in the part held by lookup[first, last) (pairs of cell
// and place, by cell), or -1.
inline int place_of(const std::pair<int, int>* lookup, int first, int last, int c)
{
    if (c == 0)
        return -1;
    const std::pair<int, int>* at = std::lower_bound(lookup + first, lookup + last, std::make_pair(c, -1));
    return at != lookup + last && at->first == c ? at->second : -1;
}

// Cells below which a solve runs on one thread.
constexpr int stiff_parallel_cells = 1024;

} // namespace

void ade_stiff_reserve(ade_stiff_set& set, int n, int threads)
{
    // Reserved once at the caps: pages are taken as a set first needs
    // them, and the set never moves, so a pool that grows step by step
    // leaves no freed blocks behind.
    const size_t cells = std::min(static_cast<size_t>(n < 0 ? 0 : n), ade_stiff_cell_cap) + 1;
    const size_t band = std::min(ade_stiff_band_cap, cells * (2 * cells + 1));
    auto at_least = [](auto& v, size_t count) {
        if (v.capacity() < count)
            v.reserve(count);
    };
    at_least(set.cells, cells);
    at_least(set.lookup, cells);
    at_least(set.marked, cells);
    at_least(set.near, 4 * cells);
    at_least(set.diag, cells);
    at_least(set.half, cells);
    at_least(set.delta, cells);
    at_least(set.lines, 2 * cells);
    at_least(set.band, band);
    if (set.found.size() < static_cast<size_t>(threads))
        set.found.resize(static_cast<size_t>(threads));
    for (std::vector<int>& list : set.found)
        at_least(list, cells);
}

size_t ade_build_stiff_set(const ade_grid& g, unsigned char* flags, ade_stiff_set& set)
{
    set.clear();
    if (set.marked.size() > ade_stiff_cell_cap)
        return ade_stiff_band_cap + 1; // the caller takes fewer
    const unsigned char stiff = ade_implicit_bit[ade_x] | ade_implicit_bit[ade_y];
    // Breadth-first layers from `from`, appended to the set's cells.
    auto layers = [&](int from) {
        const size_t first = set.cells.size();
        flags[from] |= ade_seen_bit;
        set.cells.push_back(from);
        for (size_t k = first; k < set.cells.size(); ++k) {
            const int c = set.cells[k];
            for (const int nb : {g.left[c], g.right[c], g.above[c], g.below[c]})
                if (nb != 0 && (flags[nb] & stiff) && !(flags[nb] & ade_seen_bit)) {
                    flags[nb] |= ade_seen_bit;
                    set.cells.push_back(nb);
                }
        }
    };
    // Connected parts, each numbered in layers from a cell at its far end
    // (the last one reached from any cell of it), which keeps the band of
    // a long or bent part narrow.
    for (const int i : set.marked) {
        if (flags[i] & ade_seen_bit)
            continue;
        const int first = static_cast<int>(set.cells.size());
        layers(i);
        const int far = set.cells.back();
        for (size_t k = static_cast<size_t>(first); k < set.cells.size(); ++k)
            flags[set.cells[k]] &= static_cast<unsigned char>(~ade_seen_bit);
        set.cells.resize(static_cast<size_t>(first));
        layers(far);
        set.part.push_back(first);
        for (size_t k = static_cast<size_t>(first); k < set.cells.size(); ++k)
            set.lookup.emplace_back(set.cells[k], static_cast<int>(k));
        std::sort(set.lookup.begin() + first, set.lookup.end());
    }
    for (const int c : set.cells)
        flags[c] &= static_cast<unsigned char>(~ade_seen_bit);
    if (set.part.empty())
        return 0;
    set.part.push_back(static_cast<int>(set.cells.size()));

    // Every face of a stiff cell takes its discharge from the solve; the
    // half-bandwidth of a part is the farthest neighbour in its order.
    const size_t m = set.cells.size();
    set.near.resize(4 * m);
    size_t entries = 0;
    for (int k = 0; k < set.parts(); ++k) {
        const int first = set.part[k];
        const int last = set.part[k + 1];
        int w = 0;
        for (int j = first; j < last; ++j) {
            const int c = set.cells[j];
            const int nbs[4] = {g.left[c], g.right[c], g.above[c], g.below[c]};
            for (int e = 0; e < 4; ++e) {
                const int at = place_of(set.lookup.data(), first, last, nbs[e]);
                set.near[4 * static_cast<size_t>(j) + e] = at;
                if (at >= 0)
                    w = std::max(w, std::abs(at - j));
            }
            flags[c] |= ade_stiff_face_bit[ade_x] | ade_stiff_face_bit[ade_y];
            if (g.left[c])
                flags[g.left[c]] |= ade_stiff_face_bit[ade_x];
            if (g.above[c])
                flags[g.above[c]] |= ade_stiff_face_bit[ade_y];
        }
        set.width.push_back(w);
        set.at.push_back(entries);
        entries += static_cast<size_t>(last - first) * (2 * w + 1);
    }
    if (entries > ade_stiff_band_cap)
        return entries;
    set.band.resize(entries);
    set.diag.resize(m);
    set.half.resize(m);
    set.delta.resize(m);
    set.lines.resize(2 * m);
    for (int k = 0; k < set.parts(); ++k) {
        const int w = set.width[static_cast<size_t>(k)];
        for (int j = set.part[k]; j < set.part[k + 1]; ++j) {
            set.diag[static_cast<size_t>(j)] =
                set.at[static_cast<size_t>(k)] + static_cast<size_t>(j - set.part[k]) * (2 * w + 1) + w;
            set.half[static_cast<size_t>(j)] = w;
        }
    }
    return entries;
}

void ade_clear_stiff_set(const ade_grid& g, unsigned char* flags, ade_stiff_set& set)
{
    const unsigned char clear =
        static_cast<unsigned char>(~(ade_stiff_face_bit[ade_x] | ade_stiff_face_bit[ade_y] | ade_seen_bit |
                                     ade_implicit_bit[ade_x] | ade_implicit_bit[ade_y]));
    for (const int c : set.cells) {
        flags[c] &= clear;
        if (g.left[c])
            flags[g.left[c]] &= clear;
        if (g.above[c])
            flags[g.above[c]] &= clear;
    }
    set.clear();
}

namespace
{

// Factors the band of part k (rows of 2w + 1 around the diagonal) and
// solves it for the right-hand side in x, in place.
void solve_band(ade_stiff_set& set, int k)
{
    const int first = set.part[k];
    const int m = set.part[k + 1] - first;
    const int w = set.width[static_cast<size_t>(k)];
    double* band = set.band.data() + set.at[static_cast<size_t>(k)];
    double* x = set.delta.data() + first;
    auto entry = [band, w](int i, int j) -> double& { return band[static_cast<size_t>(i) * (2 * w + 1) + (j - i + w)]; };
    // Banded elimination without pivoting: every column of the matrix is
    // diagonally dominant (the cell's area over dt plus the responses its
    // neighbours see), so no pivot is small.
    for (int p = 0; p < m; ++p) {
        const double pivot = entry(p, p);
        const int rows = std::min(p + w, m - 1);
        for (int i = p + 1; i <= rows; ++i) {
            double& lip = entry(i, p);
            if (lip == 0.0)
                continue;
            const double l = lip / pivot;
            lip = 0.0;
            for (int j = p + 1; j <= rows; ++j)
                entry(i, j) -= l * entry(p, j);
            x[i] -= l * x[p];
        }
    }
    for (int i = m - 1; i >= 0; --i) {
        double sum = x[i];
        const int cols = std::min(i + w, m - 1);
        for (int j = i + 1; j <= cols; ++j)
            sum -= entry(i, j) * x[j];
        x[i] = sum / entry(i, i);
    }
}

} // namespace

void ade_solve_stiff(const ade_grid& g, double dt, const double* depth, double* qx, double* qy,
                     ade_stiff_set& set)
{
    const double area = g.dx * g.dx;
    const int m = static_cast<int>(set.cells.size());
    const int parts = set.parts();
    const int* cells = set.cells.data();
    const int* near = set.near.data();
    const size_t* diag_at = set.diag.data();
    double* band = set.band.data();
    double* x = set.delta.data();
    ade_face_line* lines = set.lines.data();
    const int* half = set.half.data();
    set.drain_at = -1;

    // The face into cell j of the direction, from its upstream neighbour.
    auto face_in = [&](int j, ade_direction dir) {
        const int c = cells[j];
        return stiff_face(g, depth, dir, dir == ade_x ? g.left[c] : g.above[c], c);
    };

#pragma omp parallel if (m >= stiff_parallel_cells)
    {
        // Row of cell c: (A_open / dt) dh_c = sum of its faces' discharges
        // in minus out at the end of the sub-step, each linearised about
        // the start; neighbours outside the set keep their depths. The
        // faces out of the cell are kept for the discharges; a face in is
        // found again here rather than waited for from the row that owns it.
#pragma omp for schedule(static)
        for (int j = 0; j < m; ++j) {
            const int c = cells[j];
            lines[2 * j + 0] = stiff_face(g, depth, ade_x, c, g.right[c]);
            lines[2 * j + 1] = stiff_face(g, depth, ade_y, c, g.below[c]);
            double* row = band + diag_at[j] - j; // row[col] is the entry of column col
            const int w = half[j];
            std::fill(row + j - w, row + j + w + 1, 0.0);
            const double open = g.block_frac && g.block_frac[c] < 1.0 ? area * (1.0 - g.block_frac[c]) : area;
            double diag = open / dt;
            double rhs = 0.0;
            for (const ade_direction dir : {ade_x, ade_y}) {
                const ade_face_line& out = lines[2 * j + dir];
                diag += out.a;
                rhs -= out.q0;
                const int t = near[4 * j + (dir == ade_x ? 1 : 3)];
                if (t >= 0)
                    row[t] += out.b;
                const int p = near[4 * j + (dir == ade_x ? 0 : 2)];
                const ade_face_line in = face_in(j, dir);
                diag -= in.b;
                rhs += in.q0;
                if (p >= 0)
                    row[p] -= in.a;
            }
            if (c == set.drain_cell && depth[c] > 0.0) {
                // The outlet drains Q(h), linearised as Q + 5/3 Q / h dh.
                set.drain_at = j;
                set.drain_q = ade_outlet_discharge(g, depth[c]);
                set.drain_dq = 5.0 / 3.0 * set.drain_q / depth[c];
                diag += set.drain_dq;
                rhs -= set.drain_q;
            }
            row[j] = diag;
            x[j] = rhs;
        }

        // The parts are independent systems.
#pragma omp for schedule(dynamic)
        for (int k = 0; k < parts; ++k)
            solve_band(set, k);

        // Discharges of the set's faces at the end of the sub-step: each
        // face is written once, by the cell it leaves (or, from a cell
        // outside the set, by the cell it enters).
#pragma omp for schedule(static)
        for (int j = 0; j < m; ++j) {
            const int c = cells[j];
            for (const ade_direction dir : {ade_x, ade_y}) {
                double* q = dir == ade_x ? qx : qy;
                const int up = dir == ade_x ? g.left[c] : g.above[c];
                const ade_face_line& out = lines[2 * j + dir];
                const int t = near[4 * j + (dir == ade_x ? 1 : 3)];
                q[c] = out.q0 + out.a * x[j] + (t >= 0 ? out.b * x[t] : 0.0);
                if (up != 0 && near[4 * j + (dir == ade_x ? 0 : 2)] < 0) {
                    const ade_face_line in = face_in(j, dir);
                    q[up] = in.q0 + in.b * x[j];
                }
            }
        }
    }
    set.drained = set.drain_at >= 0 ? dt * (set.drain_q + set.drain_dq * x[set.drain_at]) : 0.0;
}
