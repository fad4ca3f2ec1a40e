// Manning roughness per cell (a grid, the ROUGHNESS table or one uniform
// value) and the exponent of the depth-dependent roughness.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

namespace
{

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_roughness(model_state& s)
{
    const int n = s.dist_rough.size();
    if (s.roughness_given) {
        if (s.roughness_file.fp) {
            reader_echo(s, echo_rule::normal,
                        text_format("reading roughness map from file: %s\n", s.roughness_name.c_str()));
            read_cell_reals(s, s.roughness_file, s.roughness_name, s.dist_rough);
            file_rec_close(s.roughness_file);
        } else {
            reader_echo(s, echo_rule::normal, "reading roughness table and map from master table file\n");
            const bool tables = s.mapping_table_given;
            if (tables && s.mapping_table_flags[mt_roughness]) {
                table_destinations dest{&s.dist_rough};
                read_state_mapping_table(s, tc_roughness, dest);
            }
            if (!run_stopped() && tables && s.mapping_table_flags[mt_rough_exp]) {
                reader_echo(s, echo_rule::normal,
                            "reading roughness_exp table and map from master table file\n");
                table_destinations dest{&s.roughness_exp};
                read_state_mapping_table(s, tc_rough_exp, dest);
            } else {
                for (int i = 1; i <= s.roughness_exp.size(); ++i)
                    s.roughness_exp[i] = 0.0;
            }
        }
        if (run_stopped())
            return;
        for (int i = 1; i <= n; ++i) {
            if (s.dist_rough[i] > 0.0)
                continue;
            std::printf("Overland Manning n=0 at grid cell %d.  Program terminating.\n", i);
            stop_run();
            return;
        }
        return;
    }
    if (s.manning_n_value <= 1e-6) {
        std::printf("\nInvalid spatially uniform overland flow Manning n value=%lf\n", s.manning_n_value);
        std::printf("TORVA exiting.\n");
        stop_run();
        return;
    }
    for (int i = 1; i <= n; ++i)
        s.dist_rough[i] = s.manning_n_value;
    for (int i = 1; i <= s.roughness_exp.size(); ++i)
        s.roughness_exp[i] = 0.0;
}
