// Neighbour lists of every active cell from the cell-number grid.
#include <cstdio>

#include "core/model_state.h"
#include "overland/overland_steps.h"

void build_neighbour_lists(int rows, int cols, ivec& right, ivec& below, ivec& above, ivec& left,
                           const imat& grid)
{
    int i = 0;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            if (grid[r][c] == 0) continue;
            ++i;
            right[i] = c < cols ? grid[r][c + 1] : 0;
            left[i] = c > 1 ? grid[r][c - 1] : 0;
            below[i] = r < rows ? grid[r + 1][c] : 0;
            above[i] = r > 1 ? grid[r - 1][c] : 0;
        }
    }
}

void build_cell_connectivity(model_state& s)
{
    if (!s.super_quiet && !s.calib_mode) std::printf("building cell to cell connectivity information\n");
    if (s.num_cells > 0 && s.mask && s.rightcon)
        build_neighbour_lists(s.num_rows, s.num_cols, s.rightcon, s.belowcon, s.abovecon, s.leftcon,
                              s.mask);
    // TODO: validation of the embankment low spots.
}
