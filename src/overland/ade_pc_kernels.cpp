// Loops of the predictor-corrector scheme: each direction is predicted with
// the discharges of the current depths and corrected with the mean of those
// and the discharges of the predicted depths, over the whole step.
#include "overland/ade_kernels.h"

namespace
{

// True for a face whose two cells are both lake cells.
inline bool lake_face(const ade_grid& g, int i, int t)
{
    return t != 0 && g.lake_cell(i) && g.lake_cell(t);
}

inline double unblocked(const ade_grid& g, int i, double c)
{
    return g.block_frac && g.block_frac[i] < 1.0 ? c / (1.0 - g.block_frac[i]) : c;
}

} // namespace

void ade_pc_predictor(const ade_grid& g, ade_direction dir, double tau, const double* q, const double* depth,
                      double* /*change*/, double* pred)
{
    const int n = g.n;
    const int* up = dir == ade_x ? g.left : g.above;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i) {
        if (g.lake_cell(i) || g.fixed_head(i))
            continue;
        pred[i] = depth[i] + unblocked(g, i, (q[up[i]] - q[i]) * tau);
    }
}

void ade_pc_save(const ade_grid& g, ade_direction dir, const double* q, double* q_first)
{
    const int n = g.n;
    const int* down = dir == ade_x ? g.right : g.below;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i)
        if (!lake_face(g, i, down[i]))
            q_first[i] = q[i];
}

void ade_pc_average(const ade_grid& g, ade_direction dir, double* q, const double* q_first)
{
    const int n = g.n;
    const int* down = dir == ade_x ? g.right : g.below;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i)
        if (!lake_face(g, i, down[i]))
            q[i] = (q[i] + q_first[i]) * 0.5;
}

ade_sweep_result ade_pc_corrector(const ade_grid& g, ade_direction dir, double tau, const double* q,
                                  double* depth, double* change)
{
    const int n = g.n;
    const int* up = dir == ade_x ? g.left : g.above;
    const double area = g.dx * g.dx;
    const int outlet = g.chan_routing ? 0 : g.outlet;
    double bc_in = 0.0;
    double bc_out = 0.0;
    double outlet_vol = 0.0;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells) \
    reduction(+ : bc_in, bc_out, outlet_vol)
    for (int i = 1; i <= n; ++i) {
        if (g.lake_cell(i))
            continue;
        const double net = (q[up[i]] - q[i]) * tau;
        if (g.fixed_head(i)) {
            // The boundary takes or gives what the faces carried.
            change[i] = net;
            const double vol = net * area;
            if (i == outlet)
                outlet_vol += vol;
            else if (vol > 0.0)
                bc_out += vol;
            else
                bc_in -= vol;
            continue;
        }
        const double c = unblocked(g, i, net);
        change[i] = c;
        depth[i] += c;
    }
    ade_sweep_result r;
    r.bc_in = bc_in;
    r.bc_out = bc_out;
    r.outlet = outlet_vol;
    return r;
}
