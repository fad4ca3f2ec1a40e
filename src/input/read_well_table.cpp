// The WELL_TABLE of the mapping-table file: wells by ID, placed on the
// cells of the table's index map.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/time_series.h"
#include "subsurface/soil_tables.h"
#include "subsurface/wells.h"

namespace
{

bool whole_int(double v, int& out)
{
    if (!std::isfinite(v) || v <= -2147483649.0 || v >= 2147483648.0)
        return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

int read_well_table(model_state& s, const std::string& table_file)
{
    if (!ts_index_read)
        read_ts_index_table(table_file);

    table_load t;
    if (!load_table_with_index_map(table_file, tc_well_table, 3, state_table_grid(s), t, true))
        return 0;
    const int n = t.n;
    constexpr int k = 3;
    const std::vector<int>& ids = t.ids;
    const std::vector<double>& values = t.values;
    const imat& id_grid = t.id_grid;
    if (run_stopped() || !id_grid)
        return 1;

    for (int row = 0; row < n; ++row) {
        const double* v = values.data() + static_cast<size_t>(row) * k;
        well_rec w;
        w.id = ids[static_cast<size_t>(row)];
        // A kind that is not 0 (NaN included) makes a well whose rate follows
        // the time series of the second value's ID.
        bool ok = true;
        if (v[0] != 0.0) {
            ok = whole_int(v[0], w.kind) && whole_int(v[1], w.ts_id);
        } else {
            w.flux = v[1];
        }
        if (!ok) {
            std::printf(
                "Error: row %d of table WELL_TABLE in the mapping table file %s gives a well kind or time "
                "series ID that is not a whole number.\n",
                row + 1, table_file.c_str());
            error_set(err_stop);
            report_error(error_state);
            well_table_list.clear();
            return 0;
        }
        // A well that pumps by a series needs that series at every step.
        if (w.kind != 0) {
            char user[200];
            std::snprintf(user, sizeof user, "row %d (ID %d) of table WELL_TABLE in the mapping table file %s",
                          row + 1, w.id, table_file.c_str());
            if (!ts_index_id_usable(w.ts_id, user)) {
                well_table_list.clear();
                return 0;
            }
        }
        well_table_list.insert(well_table_list.begin(), w);
    }
    wells_from_index_map(id_grid, s.mask, id_grid.rows(), id_grid.cols());
    return 1;
}
