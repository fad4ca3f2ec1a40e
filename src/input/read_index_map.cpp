// The index map of a mapping table: the ID of every active cell.
#include <cstdio>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "input/grid_map.h"
#include "input/grid_text.h"

namespace
{

void report_code(int code, const std::string& name, int value1 = 0, int value2 = 0)
{
    error_set(code, nullptr, name.c_str(), value1, value2);
    report_error(error_state);
}

} // namespace

void read_index_map(file_rec& file, const std::string& name, double& north, double& south, double& east,
                    double& west, int& rows, int& cols, const imat& mask, imat& id_grid, int largest_id,
                    int expected_rows, int expected_cols, const file_rec* log, int quiet, bool zero_allowed)
{
    id_grid.reset();
    if (!file.fp) {
        report_code(err_index_map_open, name);
        return;
    }
    grid_header h;
    const int bad = read_grid_header(file.fp, h);
    north = h.north;
    south = h.south;
    east = h.east;
    west = h.west;
    rows = h.rows;
    cols = h.cols;
    if (bad != 0) {
        print_bad_grid_header(name, bad, h);
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    const bool rows_ok = h.rows == expected_rows;
    const bool cols_ok = h.cols == expected_cols;
    if (!rows_ok || !cols_ok) {
        report_code(!cols_ok ? (!rows_ok ? err_map_rows_cols : err_map_cols) : err_map_rows, name);
        return;
    }
    if (!mask || mask.rows() < h.rows || mask.cols() < h.cols || largest_id < 0) {
        std::printf("Error: there is no storage for the values of map %s\n", name.c_str());
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    if (!imatrix_alloc_zero(id_grid, h.rows, h.cols, "index map IDs"))
        return;

    std::vector<int> counts(static_cast<size_t>(largest_id) + 1, 0);
    const int lowest = zero_allowed ? 0 : 1;
    int_scanner in(file.fp);
    for (int r = 1; r <= h.rows; ++r) {
        const int* active = mask[r];
        int* ids = id_grid[r - 1];
        for (int c = 1; c <= h.cols; ++c) {
            int id = 0;
            const int_scanner::result got = in.next(id);
            if (got == int_scanner::end_of_file) {
                std::printf("Error: row %d, column %d of index map %s is missing: the file ends before it.\n", r,
                            c, name.c_str());
                report_code(err_unexpected_eof, name);
                return;
            }
            if (got == int_scanner::not_integer) {
                std::printf(
                    "Error: the value \"%s\" at row %d, column %d of index map %s is not an integer.\n",
                    in.bad_word().c_str(), r, c, name.c_str());
                error_set(err_stop);
                report_error(error_state);
                return;
            }
            if (active[c] == 0)
                continue;
            if (id > largest_id) {
                report_code(err_index_id_over_limit, name, r, c);
                return;
            }
            if (id < lowest) {
                std::printf(
                    "Error: cell %d (row %d, column %d) of index map %s has the ID %d; every cell of the "
                    "watershed needs an ID from %d to %d of its table.\n",
                    active[c], r, c, name.c_str(), id, lowest, largest_id);
                error_set(err_stop);
                report_error(error_state);
                return;
            }
            ids[c - 1] = id;
            ++counts[static_cast<size_t>(id)];
        }
    }
    if (!grid_ends_after_values(file.fp, name, in.rest_of_line(), h.rows, h.cols))
        return;
    for (int id = 1; id <= largest_id; ++id) {
        const int n = counts[static_cast<size_t>(id)];
        if (n <= 0)
            continue;
        if (quiet != 1)
            std::printf("In map %s category %d has %d values\n", name.c_str(), id, n);
        if (log && log->fp)
            std::fprintf(log->fp, "In map %s category %d has %d values\n", name.c_str(), id, n);
    }
}
