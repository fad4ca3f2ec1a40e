// Water standing on the surface at the start of the run, for the volume
// balance; lake cells are left out.
#include "core/model_state.h"
#include "core/parallel.h"
#include "overland/overland_steps.h"

void sum_initial_surface_volume(model_state& s)
{
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    double volume = 0.0;
    if (n > 0 && s.ov_depth) {
        const double* depth = s.ov_depth.data();
        const int* olake = s.overland_lake_on && s.oland_lake_mask ? s.oland_lake_mask.data() : nullptr;
        const int* clake = !olake && s.chan_lakes && s.lake_mask ? s.lake_mask.data() : nullptr;
#pragma omp parallel for schedule(static) reduction(+ : volume) if (n >= parallel_min_cells)
        for (int i = 1; i <= n; ++i) {
            if (olake && olake[i] != 0) continue;
            if (clake && clake[i] != 0) continue;
            volume += depth[i] * area;
        }
    }
    s.surface_initial_volume = volume;
}
