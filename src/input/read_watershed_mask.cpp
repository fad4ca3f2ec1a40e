// The watershed mask: the grid of active cells, checked against the cell
// size, numbered row by row from the north-west corner and written back
// as "maskmap".
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/containers.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

namespace
{

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

// The cell size of the project against the one of the mask header, to a
// tenth of a metre after adding 1 mm; false (message, run stopped) when
// they differ.
bool cell_size_agrees(const model_state& s, double size, bool north_south)
{
    const double wanted = std::trunc((s.gridsize + 0.001) * 10.0);
    if (wanted == std::trunc((size + 0.001) * 10.0))
        return true;
    if (!s.super_quiet) {
        std::printf("\nThe grid size specified in the project file: %7.4f m differs from\n", s.gridsize);
        if (north_south)
            std::printf("the north-south dimension of the raster grid cells %7.4f m as calculated\n", size);
        else
            std::printf("the east-west dimension of the raster grid cells %7.4f m as calculated\n", size);
        std::printf("from the WATERSHED_MASK header.  Check your data to make sure they agree.\n");
        std::printf("TORVA terminating.\n\n");
    }
    stop_run();
    return false;
}

void write_maskmap(const model_state& s)
{
    file_rec out;
    if (!file_rec_open(out, std::string("maskmap"), "w")) {
        std::printf("Error: unable to open mask map file for writing\n");
        return;
    }
    std::fprintf(out.fp, "north: %9.2lf\n", s.grid_north);
    std::fprintf(out.fp, "south: %9.2lf\n", s.grid_south);
    std::fprintf(out.fp, "east: %9.2lf\n", s.grid_east);
    std::fprintf(out.fp, "west: %9.2lf\n", s.grid_west);
    std::fprintf(out.fp, "rows: %5d\n", s.grid_rows);
    std::fprintf(out.fp, "cols: %5d\n", s.grid_cols);
    std::string row;
    char number[16];
    for (int r = 1; r <= s.grid_rows; ++r) {
        row.clear();
        const int* cells = s.mask[r];
        for (int c = 1; c <= s.grid_cols; ++c) {
            const auto done = std::to_chars(number, number + sizeof number, cells[c]);
            row.append(number, done.ptr);
            row += ' ';
        }
        row += '\n';
        std::fwrite(row.data(), 1, row.size(), out.fp);
    }
    file_rec_close(out);
}

} // namespace

void read_watershed_mask(model_state& s)
{
    reader_echo(s, echo_rule::normal,
                text_format("reading watershed mask from file: %s\n", s.watershed_mask_name.c_str()));
    read_grid_map(s.watershed_mask_file, s.watershed_mask_name, grid_full_ints, s.grid_north, s.grid_south,
                  s.grid_east, s.grid_west, s.grid_rows, s.grid_cols, s.mask, nullptr, nullptr, nullptr,
                  s.rows, s.cols, s.calib_mode);
    file_rec_close(s.watershed_mask_file);
    if (run_stopped())
        return;

    const int rows = s.grid_rows;
    const int cols = s.grid_cols;
    if (rows < 1 || cols < 1) {
        std::printf(
            "Error: the watershed mask %s has %d rows and %d columns; it needs at least one of each.\n",
            s.watershed_mask_name.c_str(), rows, cols);
        stop_run();
        return;
    }
    const double dy = (s.grid_north - s.grid_south) / rows;
    if (!cell_size_agrees(s, dy, true))
        return;
    const double dx = (s.grid_east - s.grid_west) / cols;
    if (!cell_size_agrees(s, dx, false))
        return;

    // Every non-zero position, negative values included, is an active cell.
    const int last_row = rows + 1 < s.mask.rows() ? rows + 1 : s.mask.rows();
    const int last_col = cols + 1 < s.mask.cols() ? cols + 1 : s.mask.cols();
    int n = 0;
    for (int r = 0; r <= last_row; ++r) {
        int* m = s.mask[r];
        for (int c = 0; c <= last_col; ++c)
            if (m[c] != 0)
                m[c] = ++n;
    }
    s.num_cells = n;

    checked_array_grow(s.cell_row, n);
    checked_array_grow(s.cell_col, n);
    checked_array_grow(s.cell_x, n);
    checked_array_grow(s.cell_y, n);
    for (int r = 1; r <= rows; ++r) {
        const int* m = s.mask[r];
        for (int c = 1; c <= cols; ++c) {
            const int i = m[c];
            if (i == 0)
                continue;
            s.cell_row[i] = r;
            s.cell_col[i] = c;
            s.cell_x[i] = s.grid_west + (c - 0.5) * dx;
            s.cell_y[i] = s.grid_north - (r - 0.5) * dy;
        }
    }

    write_maskmap(s);
    reader_echo(s, echo_rule::normal, text_format("number of grid cells in watershed: %d\n", n));
    s.sac_area = s.gridsize * s.gridsize * n;
}
