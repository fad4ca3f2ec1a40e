// Retention depth per cell: a grid or the RETENTION table (mm), or one
// uniform value (mm); stored in metres.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

void read_retention_params(model_state& s)
{
    const int n = s.retent_dep.size();
    if (s.reten_depth_given == 1) {
        if (s.reten_depth_file.fp) {
            reader_echo(
                s, echo_rule::normal,
                text_format("reading retention storage map from file: %s\n", s.reten_depth_name.c_str()));
            read_cell_reals(s, s.reten_depth_file, s.reten_depth_name, s.retent_dep);
            file_rec_close(s.reten_depth_file);
            // The same range as the RETENTION table's depth.
            if (!run_stopped())
                cell_values_within(s, s.retent_dep, s.reten_depth_name, "retention depth (mm)", 0.0, no_upper_bound);
        } else {
            reader_echo(s, echo_rule::normal,
                        "reading retention storage table and map from master table file\n");
            if (s.mapping_table_given && s.mapping_table_flags[mt_retention]) {
                table_destinations dest{&s.retent_dep};
                read_state_mapping_table(s, tc_retention, dest);
            }
        }
        if (run_stopped())
            return;
        for (int i = 1; i <= n; ++i)
            s.retent_dep[i] /= 1000.0;
    } else if (s.retention_given == 1) {
        for (int i = 1; i <= n; ++i)
            s.retent_dep[i] = s.uniform_retention / 1000.0;
    } else {
        for (int i = 1; i <= n; ++i)
            s.retent_dep[i] = 0.0;
    }
}
