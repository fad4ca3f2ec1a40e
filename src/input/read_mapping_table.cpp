// The generic table reader: one table of the mapping-table file and its
// index map into per-cell values.
#include <cstdio>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"

void scatter_table_column(const std::vector<double>& values, int n, int k, int column,
                          const std::vector<int>& ids, int largest_id, std::vector<double>& by_id)
{
    by_id.assign(static_cast<size_t>(largest_id) + 1, 0.0);
    for (int row = 0; row < n; ++row) {
        const int id = ids[static_cast<size_t>(row)];
        if (id < 1 || id > largest_id)
            continue;
        by_id[static_cast<size_t>(id)] =
            values[static_cast<size_t>(row) * static_cast<size_t>(k) + static_cast<size_t>(column - 1)];
    }
}

void ids_to_cells(dvec& dest, const std::vector<double>& by_id, const imat& id_grid, const imat& cell_numbers,
                  int rows, int cols)
{
    const int largest = static_cast<int>(by_id.size()) - 1;
    for (int r = 1; r <= rows; ++r) {
        const int* ids = id_grid[r - 1];
        const int* cells = cell_numbers[r];
        for (int c = 1; c <= cols; ++c) {
            const int id = ids[c - 1];
            const int cell = cells[c];
            if (id < 1 || id > largest || cell < 1 || cell > dest.size())
                continue;
            dest[cell] = by_id[static_cast<size_t>(id)];
        }
    }
}

bool cell_ids_have_rows(const imat& id_grid, const imat& cell_numbers, const std::vector<int>& ids,
                        const std::string& map_name, const std::string& table)
{
    int largest = 0;
    for (const int id : ids)
        largest = id > largest ? id : largest;
    std::vector<char> has_row(static_cast<std::size_t>(largest) + 1, 0);
    for (const int id : ids)
        if (id >= 1)
            has_row[static_cast<std::size_t>(id)] = 1;
    for (int r = 1; r <= id_grid.rows() && r < cell_numbers.rows(); ++r)
        for (int c = 1; c <= id_grid.cols() && c < cell_numbers.cols(); ++c) {
            const int cell = cell_numbers[r][c];
            const int id = id_grid[r - 1][c - 1];
            if (cell == 0 || id < 1 || (id <= largest && has_row[static_cast<std::size_t>(id)]))
                continue;
            std::printf("Error: cell %d (row %d, column %d) of index map %s has the ID %d, for which %s has no "
                        "row.\n",
                        cell, r, c, map_name.c_str(), id, table.c_str());
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
    return true;
}

int load_table_with_index_map(const std::string& table_file, int code, int k, const table_grid& grid,
                              table_load& out, bool zero_ids_allowed, int p, dvec* precip_target)
{
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return 0;
    }
    std::string& index_map = out.index_map;
    out.n = 0;
    std::string map_name;
    const table_search found = search_mapping_table(table, code, index_map, map_name);
    if (found == table_search::no_header || found == table_search::map_undeclared) {
        report_table_search(found, code, table_file, map_name);
        return 0;
    }
    if (found == table_search::found) {
        const long long n = read_table_count(table, table_file, code, tc_num_ids, table_num_ids);
        if (n < 0)
            return 0;
        out.n = static_cast<int>(n);
    }
    if (out.n <= 0) {
        error_set(err_table_empty, table_name_from_code(code).c_str());
        report_error(error_state);
        return 0;
    }
    if (p > 0 && precip_target) {
        if (!read_precip_conc_line(table, table_file, code, p, *precip_target))
            return 0;
    } else
        skip_table_headers(table);

    out.k = k;
    out.largest = read_table_rows(table, table_file, code, out.n, k, out.ids, out.values);
    if (out.largest < 0)
        return 0;

    file_rec map;
    if (!file_rec_open(map, index_map, "r")) {
        error_set(err_index_map_open, nullptr, index_map.c_str());
        report_error(error_state);
        return 0;
    }
    read_index_map(map, index_map, grid.north, grid.south, grid.east, grid.west, grid.rows, grid.cols, grid.mask,
                   out.id_grid, out.largest, grid.expected_rows, grid.expected_cols, grid.log, grid.quiet,
                   zero_ids_allowed);
    file_rec_close(map);
    // Tables whose IDs may be 0 (wells, wetlands) check their IDs themselves.
    if (!run_stopped() && !zero_ids_allowed &&
        !cell_ids_have_rows(out.id_grid, grid.mask, out.ids, index_map,
                            "table " + table_name_from_code(code) + " of the mapping table file " + table_file)) {
        out.id_grid.reset();
        return 0;
    }
    return 1;
}

int read_mapping_table(int quiet, const std::string& table_file, int code, const table_destinations& dest,
                       double& north, double& south, double& east, double& west, int& rows, int& cols,
                       const imat& mask, int expected_rows, int expected_cols, const file_rec* log, int p,
                       dvec* precip_target)
{
    if (!ts_index_read)
        read_ts_index_table(table_file);

    const table_grid grid{north, south, east, west, rows, cols, mask, expected_rows, expected_cols, log, quiet};
    table_load t;
    if (!load_table_with_index_map(table_file, code, table_values_per_row(code), grid, t, false, p,
                                   precip_target))
        return 0;
    if (!t.id_grid)
        return 1;

    std::vector<double> by_id;
    const int columns = t.k < static_cast<int>(dest.size()) ? t.k : static_cast<int>(dest.size());
    for (int i = 1; i <= columns; ++i) {
        dvec* target = dest[static_cast<size_t>(i - 1)];
        if (!target)
            continue;
        scatter_table_column(t.values, t.n, t.k, i, t.ids, t.largest, by_id);
        ids_to_cells(*target, by_id, t.id_grid, mask, t.id_grid.rows(), t.id_grid.cols());
    }
    return 1;
}

int read_state_mapping_table(model_state& s, int code, const table_destinations& dest)
{
    return read_mapping_table(s.calib_mode, s.mapping_table_name, code, dest, s.grid_north, s.grid_south,
                              s.grid_east, s.grid_west, s.grid_rows, s.grid_cols, s.mask, s.rows, s.cols,
                              &s.summary_file);
}

table_grid state_table_grid(model_state& s)
{
    return table_grid{s.grid_north, s.grid_south, s.grid_east, s.grid_west, s.grid_rows, s.grid_cols,
                      s.mask,       s.rows,       s.cols,      &s.summary_file, s.calib_mode};
}
