// The SOIL_EROSION_PROPS table: five erosion properties and one fraction per
// sediment class for each ID, spread over the cells through its index map.
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/quality_inputs.h"
#include "input/time_series.h"

int read_erosion_table(model_state& s, int sed_classes)
{
    const std::string& table_file = s.mapping_table_name;
    if (!ts_index_read)
        read_ts_index_table(table_file);
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return 0;
    }
    std::string index_map;
    int n = 0;
    if (find_mapping_table(table, tc_soil_erosion_props, index_map))
        n = read_num_ids(table);
    if (n <= 0) {
        error_set(err_table_empty, "SOIL_EROSION_PROPS");
        report_error(error_state);
        return 0;
    }
    const int table_classes = read_num_sed(table);
    if (table_classes != sed_classes) {
        error_set(err_sediment_count_mismatch, nullptr, nullptr, sed_classes, table_classes);
        error_state.raised = 1; // the driver reports it after the input step
        return 0;
    }
    skip_table_headers(table);
    const int k = 5 + sed_classes;
    std::vector<int> ids;
    std::vector<double> values;
    const int largest = read_table_rows(table, table_file, tc_soil_erosion_props, n, k, ids, values);
    if (largest < 0)
        return 0;

    file_rec map;
    if (!file_rec_open(map, index_map, "r")) {
        error_set(err_index_map_open, nullptr, index_map.c_str());
        report_error(error_state);
        return 0;
    }
    imat id_grid;
    read_index_map(map, index_map, s.grid_north, s.grid_south, s.grid_east, s.grid_west, s.grid_rows, s.grid_cols,
                   s.mask, id_grid, largest, s.rows, s.cols, &s.summary_file, s.calib_mode, false);
    file_rec_close(map);
    if (error_state.raised || !id_grid)
        return 0;

    // Value columns 1-5 in this order.
    dvec* props[5] = {&s.splash_K, &s.detach_coef, &s.detach_exp, &s.detach_crit, &s.sed_K};
    std::vector<double> by_id;
    for (int col = 1; col <= 5; ++col) {
        scatter_table_column(values, n, k, col, ids, largest, by_id);
        ids_to_cells(*props[col - 1], by_id, id_grid, s.mask, id_grid.rows(), id_grid.cols());
    }
    for (int j = 1; j <= sed_classes; ++j) {
        scatter_table_column(values, n, k, 5 + j, ids, largest, by_id);
        for (int r = 1; r <= s.rows && r <= id_grid.rows(); ++r)
            for (int c = 1; c <= s.cols && c <= id_grid.cols(); ++c) {
                const int cell = s.mask[r][c];
                const int id = id_grid[r - 1][c - 1];
                if (cell >= 1 && cell <= s.num_cells && id >= 1 && id <= largest)
                    s.sed_fract[cell][j][1] = by_id[static_cast<std::size_t>(id)];
            }
    }
    return 1;
}
