// Ground slope of every cell toward its right and its lower neighbour,
// positive when the neighbour lies lower. A cell without the neighbour
// repeats the slope of the cell numbered before it (x) or above it (y).
#include "core/model_state.h"
#include "overland/overland_steps.h"

void compute_cell_slopes(model_state& s)
{
    const int n = s.num_cells;
    if (n <= 0 || !s.slope_x || !s.slope_y || !s.ground_elev || !s.rightcon || !s.belowcon) return;
    const double dx = s.gridsize;
    for (int i = 1; i <= n; ++i) {
        const int right = s.rightcon[i];
        if (right != 0)
            s.slope_x[i] = (s.ground_elev[i] - s.ground_elev[right]) / dx;
        else
            s.slope_x[i] = i > 1 ? s.slope_x[i - 1] : 0.0;
    }
    for (int i = 1; i <= n; ++i) {
        const int below = s.belowcon[i];
        if (below == 0) continue;
        s.slope_y[i] = (s.ground_elev[i] - s.ground_elev[below]) / dx;
        if (s.belowcon[below] == 0) s.slope_y[below] = s.slope_y[i];
    }
}
