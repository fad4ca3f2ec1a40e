// The ASCII grid reader: six header values, then the values row by row.
// Real rows are one text line each; integers are a free stream.
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/grid_map.h"
#include "input/grid_text.h"

namespace
{

std::array<int, grid_category_count> category_cells{};

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

// Compares the header with the model's size; false (message, run stopped)
// when they differ.
bool size_matches(const std::string& name, int rows, int cols, int expected_rows, int expected_cols)
{
    const bool rows_ok = rows == expected_rows;
    const bool cols_ok = cols == expected_cols;
    if (rows_ok && cols_ok)
        return true;
    if (!rows_ok && cols_ok)
        std::printf("Incorrect number of rows in map: %s\n", name.c_str());
    if (!rows_ok && !cols_ok)
        std::printf("Incorrect number of rows and columns in map: %s\n", name.c_str());
    if (rows_ok && !cols_ok)
        std::printf("Incorrect number of columns in map: %s\n", name.c_str());
    stop_run();
    return false;
}

// The file ended before the value at row r, column c.
void unexpected_end(const std::string& name, int r, int c)
{
    std::printf("Unexpected end of file in file: %s\n", name.c_str());
    std::printf("Error: row %d, column %d of map %s is missing: the file ends before it.\n", r, c, name.c_str());
    stop_run();
}

// Refuses a call whose grid or destination cannot hold the map.
bool storage_fits(const std::string& name, int type, const imat& grid, int rows, int cols, const dvec* first,
                  const dvec* second, const ivec* int_dest)
{
    bool fits = grid && grid.rows() >= rows && grid.cols() >= cols;
    if (fits && type != grid_full_ints) {
        long active = 0;
        for (int r = 1; r <= rows; ++r) {
            const int* m = grid[r];
            for (int c = 1; c <= cols; ++c)
                active += m[c] != 0;
        }
        const int room = type == grid_cell_reals     ? (first ? first->size() : 0)
                         : type == grid_cell_reals_b ? (second ? second->size() : 0)
                                                     : (int_dest ? int_dest->size() : 0);
        fits = active <= room;
    }
    if (!fits) {
        std::printf("Error: there is no storage for the values of map %s\n", name.c_str());
        stop_run();
    }
    return fits;
}

// Names the row and column where the values of a map stopped or went bad.
void refuse_value(const std::string& name, int r, int c, const char* what)
{
    std::printf("Error: row %d, column %d of map %s %s.\n", r, c, name.c_str(), what);
    stop_run();
}

// Real rows: one line per row, values separated by blanks, tabs or commas.
// A missing row or value, a word that is not a finite number and a value
// after the cols-th stop the run naming the row and column, or the line.
// Returns false after an error.
bool read_real_rows(std::FILE* fp, const std::string& name, int rows, int cols, const imat& grid, dvec& dest,
                    bool& any_nonzero, int& zero_cells)
{
    std::string line;
    line.reserve(65536);
    double* out = dest ? dest.data() : nullptr;
    int next = 0;
    for (int r = 1; r <= rows; ++r) {
        if (!read_any_line(fp, line)) {
            unexpected_end(name, r, 1);
            return false;
        }
        if (replace_on) {
            const int capacity = static_cast<int>(line.size()) + line_buffer_size;
            replace_pairs_in_line(line, capacity);
        }
        const int* active = grid[r];
        const char* p = line.c_str();
        const char* end = p + line.size();
        for (int c = 1; c <= cols; ++c) {
            while (p < end && is_row_separator(*p))
                ++p;
            if (p == end) {
                refuse_value(name, r, c, "is missing: the row is short");
                return false;
            }
            const char* w = p;
            while (p < end && !is_row_separator(*p))
                ++p;
            double v = 0.0;
            const num_status st = word_real_strict(w, p, v);
            if (st != num_status::ok) {
                const std::string what =
                    "holds \"" + std::string(w, p) + "\", which " + num_status_text(st);
                refuse_value(name, r, c, what.c_str());
                return false;
            }
            if (v != 0.0)
                any_nonzero = true;
            if (active[c] != 0) {
                out[++next] = v;
                if (v == 0.0)
                    ++zero_cells;
            }
        }
        const std::string_view rest(p, static_cast<std::size_t>(end - p));
        // The line is counted (a pass over the file so far) only for a row
        // that holds more than its values.
        if (r < rows && !blank_text(rest) && text_beyond_grid(rest, name, line_before_position(fp), rows, cols))
            return false;
        if (r == rows)
            return grid_ends_after_values(fp, name, rest, rows, cols);
    }
    return true;
}

// Integer values, every position; a word that is not an integer, or any
// text after the last value, stops the run. For kind 4 a category outside
// 0..9,999 on an active cell stops it.
bool read_int_values(std::FILE* fp, const std::string& name, int type, int rows, int cols, imat& grid,
                     ivec* dest, bool& any_nonzero)
{
    int_scanner in(fp);
    int next = 0;
    for (int r = 1; r <= rows; ++r) {
        int* row = grid[r];
        for (int c = 1; c <= cols; ++c) {
            int v = 0;
            const int_scanner::result got = in.next(v);
            if (got == int_scanner::end_of_file) {
                unexpected_end(name, r, c);
                return false;
            }
            if (got == int_scanner::not_integer) {
                std::printf("Error: the value \"%s\" at row %d, column %d of map %s is not an integer.\n",
                            in.bad_word().c_str(), r, c, name.c_str());
                stop_run();
                return false;
            }
            if (v != 0)
                any_nonzero = true;
            if (type == grid_full_ints) {
                row[c] = v;
                continue;
            }
            if (row[c] == 0)
                continue;
            if (v < 0 || v >= grid_category_count) {
                std::printf(
                    "Error: the value %d at row %d, column %d of map %s is not a category from 0 to %d.\n", v,
                    r, c, name.c_str(), grid_category_count - 1);
                stop_run();
                return false;
            }
            (*dest)[++next] = v;
            ++category_cells[static_cast<size_t>(v)];
        }
    }
    return grid_ends_after_values(fp, name, in.rest_of_line(), rows, cols);
}

} // namespace

void read_grid_map(file_rec& file, const std::string& name, int type, double& north, double& south,
                   double& east, double& west, int& rows, int& cols, imat& grid, dvec* first, dvec* second,
                   ivec* int_dest, int expected_rows, int expected_cols, int quiet)
{
    if (!file.fp) {
        std::printf("Error: the map %s is not open for reading.\n", name.c_str());
        stop_run();
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
        stop_run();
        return;
    }
    if (!size_matches(name, h.rows, h.cols, expected_rows, expected_cols))
        return;
    if (!storage_fits(name, type, grid, h.rows, h.cols, first, second, int_dest))
        return;

    bool any_nonzero = false;
    int zero_cells = 0;
    bool read_ok = true;
    if (type == grid_cell_reals || type == grid_cell_reals_b) {
        dvec empty;
        dvec& dest = type == grid_cell_reals ? (first ? *first : empty) : (second ? *second : empty);
        read_ok = read_real_rows(file.fp, name, h.rows, h.cols, grid, dest, any_nonzero, zero_cells);
    } else if (type == grid_full_ints || type == grid_cell_ints) {
        if (type == grid_cell_ints)
            for (int k = 1; k < grid_category_count; ++k)
                category_cells[static_cast<size_t>(k)] = 0;
        read_ok = read_int_values(file.fp, name, type, h.rows, h.cols, grid, int_dest, any_nonzero);
        if (read_ok && type == grid_cell_ints && quiet != 1)
            for (int k = 1; k < grid_category_count; ++k)
                if (category_cells[static_cast<size_t>(k)] > 0)
                    std::printf("In map %s category %d has %d values\n", name.c_str(), k,
                                category_cells[static_cast<size_t>(k)]);
    } else {
        std::printf("Error: unknown kind %d of grid read for map %s\n", type, name.c_str());
        stop_run();
        return;
    }
    if (!read_ok)
        return;
    if (!any_nonzero)
        std::printf("Warning: Map contains only zero values. Map: %s\n", name.c_str());
    if ((type == grid_cell_reals || type == grid_cell_reals_b) && zero_cells > 0 && quiet != 1)
        std::printf("Warning: Map contains %d cells with zero values. Map: %s\n", zero_cells, name.c_str());
}

int grid_category_cells(int category)
{
    if (category < 0 || category >= grid_category_count)
        return 0;
    return category_cells[static_cast<size_t>(category)];
}

void read_cell_reals(model_state& s, file_rec& file, const std::string& name, dvec& dest)
{
    read_grid_map(file, name, grid_cell_reals, s.grid_north, s.grid_south, s.grid_east, s.grid_west,
                  s.grid_rows, s.grid_cols, s.mask, &dest, nullptr, nullptr, s.rows, s.cols, s.calib_mode);
}

void read_cell_ints(model_state& s, file_rec& file, const std::string& name, ivec& dest)
{
    read_grid_map(file, name, grid_cell_ints, s.grid_north, s.grid_south, s.grid_east, s.grid_west,
                  s.grid_rows, s.grid_cols, s.mask, nullptr, nullptr, &dest, s.rows, s.cols, s.calib_mode);
}

bool cell_values_within(const model_state& s, const dvec& values, const std::string& file, const char* what,
                        double low, double high)
{
    for (int i = 1; i <= s.num_cells && i <= values.size(); ++i) {
        const double v = values[i];
        if (v >= low && v <= high)
            continue;
        if (high >= no_upper_bound)
            std::printf("Error: file %s, row %d, column %d (cell %d): the %s %g lies below %g.\n", file.c_str(),
                        s.cell_row[i], s.cell_col[i], i, what, v, low);
        else
            std::printf("Error: file %s, row %d, column %d (cell %d): the %s %g lies outside %g to %g.\n",
                        file.c_str(), s.cell_row[i], s.cell_col[i], i, what, v, low, high);
        error_set(err_stop);
        report_error(error_state);
        return false;
    }
    return true;
}
