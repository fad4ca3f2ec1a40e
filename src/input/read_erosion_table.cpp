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
    // The NUM_SED line after NUM_IDS must give the SEDIMENTS class count.
    {
        file_rec table;
        std::string index_map;
        static const count_field num_sed{"NUM_SED", 0, 10000, 0};
        if (file_rec_open(table, table_file, "r") && find_mapping_table(table, tc_soil_erosion_props, index_map)) {
            const long long rows =
                read_table_count(table, table_file, tc_soil_erosion_props, tc_num_ids, table_num_ids);
            if (rows < 0)
                return 0;
            const long long table_classes =
                rows > 0 ? read_table_count(table, table_file, tc_soil_erosion_props, tc_num_sed, num_sed) : 0;
            if (table_classes < 0)
                return 0;
            if (rows > 0 && table_classes != sed_classes) {
                error_set(err_sediment_count_mismatch, nullptr, nullptr, sed_classes, static_cast<int>(table_classes));
                report_error(error_state);
                if (table_classes == 0)
                    std::printf("Error: table SOIL_EROSION_PROPS of the mapping table file %s, line %d: the NUM_SED "
                                "line must follow NUM_IDS.\n",
                                table_file.c_str(), table.line_no);
                else
                    std::printf("Error: table SOIL_EROSION_PROPS of the mapping table file %s, line %d: NUM_SED is "
                                "%lld, but table SEDIMENTS has %d classes and each takes one fraction column here.\n",
                                table_file.c_str(), table.line_no, table_classes, sed_classes);
                return 0;
            }
        }
    }
    const int k = 5 + sed_classes;
    table_load t;
    if (!load_table_with_index_map(table_file, tc_soil_erosion_props, k, state_table_grid(s), t, false) ||
        run_stopped() || !t.id_grid)
        return 0;
    const int n = t.n;
    const int largest = t.largest;
    const std::vector<int>& ids = t.ids;
    const std::vector<double>& values = t.values;
    const imat& id_grid = t.id_grid;

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
