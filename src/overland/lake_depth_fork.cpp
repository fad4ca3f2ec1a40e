// The depth map: the overland depth of every cell, and over the flooded
// cells of each channel lake the lake's depth (stage minus ground).
#include <algorithm>

#include "core/model_state.h"
#include "core/parallel.h"
#include "overland/overland_steps.h"

void lake_depth_fork(const model_state& s, const double* depth, double* out, int n)
{
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i)
        out[i] = depth[i];
    if (!s.chan_lakes || s.lake_cells.size() < s.num_lakes || s.ground_elev.size() < n)
        return;
    for (int k = 1; k <= s.num_lakes; ++k) {
        const int cells = std::min(s.lake_cells[k], s.numpts[k]);
        for (int e = 1; e <= cells; ++e) {
            const int row = s.lake_search[k][1][e];
            const int col = s.lake_search[k][2][e];
            if (row < 1 || col < 1 || row > s.mask.rows() || col > s.mask.cols())
                continue;
            const int cell = s.mask[row][col];
            if (cell >= 1 && cell <= n)
                out[cell] = s.lake_elev[k] - s.ground_elev[cell];
        }
    }
}
