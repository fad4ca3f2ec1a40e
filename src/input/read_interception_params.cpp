// Interception storage capacity and coefficient per cell, from their grids
// or the INTERCEPTION table; values pass through unconverted.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

void read_interception_params(model_state& s)
{
    if (s.interception != 1)
        return;
    if (s.mapping_table_given && s.mapping_table_flags[mt_interception]) {
        table_destinations dest{&s.dist_icep_cap, &s.dist_icep_coeff};
        read_state_mapping_table(s, tc_interception, dest);
        if (run_stopped())
            return;
    }
    if (s.storage_capacity_file.fp) {
        reader_echo(
            s, echo_rule::with_trials,
            text_format("reading interception storage from file: %s\n", s.storage_capacity_name.c_str()));
        read_cell_reals(s, s.storage_capacity_file, s.storage_capacity_name, s.dist_icep_cap);
        file_rec_close(s.storage_capacity_file);
        // The same ranges as the INTERCEPTION table's columns.
        if (run_stopped() || !cell_values_within(s, s.dist_icep_cap, s.storage_capacity_name,
                                                 "interception storage capacity", 0.0, no_upper_bound))
            return;
    } else {
        reader_echo(s, echo_rule::normal,
                    "reading interception storage table and map from master table file\n");
    }
    if (s.interception_coeff_file.fp) {
        reader_echo(
            s, echo_rule::with_trials,
            text_format("reading interception coeff. from file: %s\n", s.interception_coeff_name.c_str()));
        read_cell_reals(s, s.interception_coeff_file, s.interception_coeff_name, s.dist_icep_coeff);
        file_rec_close(s.interception_coeff_file);
        if (!run_stopped())
            cell_values_within(s, s.dist_icep_coeff, s.interception_coeff_name, "interception coefficient", 0.0,
                               no_upper_bound);
    } else {
        reader_echo(s, echo_rule::normal,
                    "reading interception coeff. table and map from the master table file\n");
    }
}
