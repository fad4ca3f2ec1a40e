#include "core/model_state.h"
#include "core/parallel.h"
#include "overland/overland_steps.h"

void lake_depth_fork(const model_state& s, const double* depth, double* out, int n)
{
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i)
        out[i] = depth[i];
    // TODO: channel lakes: with chan_lakes set, every cell of the flooded
    // part of each lake's search list takes lake_elev minus its ground.
    (void)s.chan_lakes;
}
