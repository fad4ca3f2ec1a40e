// Reads the inset model's mask and makes every boundary cell of the inset an
// XY output point at its centre, numbered as the inset numbers its cells.
#include <cstdio>

#include "core/check_count.h"
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

namespace
{

// Rows and columns of the inset mask, and its cells: each value takes at
// least a digit and a separator in the rest of the file.
const count_field mask_rows{"row count", 1, 1000000, 0};
const count_field mask_cols{"column count", 1, 1000000, 0};
const count_field mask_cells{"cell count (rows x columns)", 1, 1000000000000LL, 2};

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_inset_mask(xy_output& out)
{
    file_rec rec;
    if (out.points_file.empty() || !file_rec_open(rec, out.points_file, "r")) {
        std::printf("Error: unable to open the XY output mask file.\n");
        if (!out.points_file.empty())
            std::printf("Error: the inset mask %s (card XYBDYOUTPUT_MASK) cannot be opened; the run cannot write "
                        "the inset's boundary without it.\n",
                        out.points_file.c_str());
        stop_run();
        return;
    }
    grid_header h;
    const int bad = read_grid_header(rec.fp, h);
    if (bad != 0) {
        print_bad_grid_header(out.points_file, bad, h);
        stop_run();
        return;
    }
    // The header sizes the grid: checked before anything is allocated.
    if (!check_count(h.rows, mask_rows, out.points_file, 5) || !check_count(h.cols, mask_cols, out.points_file, 6) ||
        !check_count(static_cast<long long>(h.rows) * h.cols, mask_cells, out.points_file, 6, rec.fp))
        return;
    std::rewind(rec.fp);
    if (!imatrix_alloc_zero(out.inset_grid, h.rows, h.cols, "smaller_mask.mask")) {
        stop_run();
        return;
    }
    read_grid_map(rec, out.points_file, grid_full_ints, out.in_north, out.in_south, out.in_east, out.in_west,
                  out.in_rows, out.in_cols, out.inset_grid, nullptr, nullptr, nullptr, h.rows, h.cols, 1);
    if (run_stopped()) {
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
