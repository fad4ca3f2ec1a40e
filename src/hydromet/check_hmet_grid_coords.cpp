// Warns when a model cell lies far from the hourly-grid cell it was given:
// the cell centre against the grid cell's lower-left corner, in x and y.
#include <cmath>
#include <cstdio>

#include "hydromet/hmet_services.h"

double check_hmet_grid_coords(int row, int col, double north, double west, double cell_size, double grid_lly,
                              double grid_llx, double grid_cell, int grid_col, int grid_row, int grid_rows)
{
    const double x = west + (col - 0.5) * cell_size;
    const double y = north - (row - 0.5) * cell_size;
    const double dx = std::fabs(std::fabs(x) - std::fabs(grid_col * grid_cell + grid_llx));
    const double dy = std::fabs(std::fabs(y) - std::fabs(grid_lly + (grid_rows - 1 - grid_row) * grid_cell));
    if (dx > 1.3 * grid_cell)
        std::printf("\nERROR!! in the conversion of X coordinates in the ASCII HMET");
    if (dy > 1.3 * grid_cell)
        std::printf("\nERROR!! in the conversion of Y coordinates in the ASCII HMET");
    return dx > dy ? dx : dy;
}
