// Reads the inset model's mask and makes every boundary cell of the inset an
// XY output point at its centre, numbered as the inset numbers its cells.
#include <cstdio>

#include "core/error_state.h"
#include "coupling/coupling_services.h"
#include "input/grid_map.h"
#include "input/grid_text.h"

bool inset_boundary_cell(const imat& g, int rows, int cols, int r, int c)
{
    if (g[r][c] == 0)
        return false;
    if (r == 1 || r == rows || c == 1 || c == cols)
        return true;
    return g[r - 1][c] == 0 || g[r + 1][c] == 0 || g[r][c - 1] == 0 || g[r][c + 1] == 0;
}

void read_inset_mask(xy_output& out)
{
    file_rec rec;
    if (out.points_file.empty() || !file_rec_open(rec, out.points_file, "r")) {
        std::printf("Error: unable to open the XY output mask file.\n");
        return;
    }
    grid_header h;
    const int bad = read_grid_header(rec.fp, h);
    if (bad != 0) {
        print_bad_grid_header(out.points_file, bad, h);
        error_set(err_stop);
        return;
    }
    std::rewind(rec.fp);
    if (!imatrix_alloc_zero(out.inset_grid, h.rows, h.cols, "smaller_mask.mask")) {
        error_set(err_stop);
        return;
    }
    read_grid_map(rec, out.points_file, grid_full_ints, out.in_north, out.in_south, out.in_east, out.in_west,
                  out.in_rows, out.in_cols, out.inset_grid, nullptr, nullptr, nullptr, h.rows, h.cols, 1);
    if (error_state.code != 0) {
        out.inset_grid = imat();
        return;
    }
    const double hs = (out.in_north - out.in_south) / out.in_rows;
    out.in_cell_size = hs;
    int number = 0;
    for (int r = 1; r <= out.in_rows; ++r)
        for (int c = 1; c <= out.in_cols; ++c) {
            if (out.inset_grid[r][c] == 0)
                continue;
            ++number;
            if (!inset_boundary_cell(out.inset_grid, out.in_rows, out.in_cols, r, c))
                continue;
            xy_out_point p;
            p.x = out.in_west + (c - 1 + 0.5) * hs;
            p.y = out.in_north - (r - 1 + 0.5) * hs;
            p.id = number;
            out.points.push_back(p);
        }
}
