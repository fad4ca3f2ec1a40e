// The surface soil moisture of a previous run, copied into the state of the
// infiltration scheme in use.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

void read_soil_moisture_hotstart(model_state& s)
{
    if (!s.cards.read_sm_hotstart_given)
        return;
    const int n = s.num_cells;
    if (n > 0 && s.soil_moisture.size() < n) {
        std::printf("Error: READ_SM_HOTSTART gives a soil moisture map, but no infiltration scheme is on.\n");
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    reader_echo(
        s, echo_rule::with_trials,
        text_format("reading soil moisture hotstart map from file: %s\n", s.read_sm_hotstart_name.c_str()));
    read_cell_reals(s, s.sm_hotstart_in_file, s.read_sm_hotstart_name, s.soil_moisture);
    // A water content is a fraction of the soil's volume.
    if (run_stopped() ||
        !cell_values_within(s, s.soil_moisture, s.read_sm_hotstart_name, "soil water content", 0.0, 1.0))
        return;
    const bool richards = s.inf_richards && s.THETA.rows() >= n && s.THETA.cols() >= 1;
    const bool layered = s.inf_layered_soil && s.THETA_ML.rows() >= n && s.THETA_ML.cols() >= 1;
    const bool green_ampt = (s.green_ampt || s.inf_redist) && s.dist_init_moisture.size() >= n;
    const bool redist = s.inf_redist && s.redist_theta_1.size() >= n && s.redist_theta_2.size() >= n;
    for (int i = 1; i <= n; ++i) {
        const double theta = s.soil_moisture[i];
        if (richards)
            s.THETA[i][1] = theta;
        if (green_ampt)
            s.dist_init_moisture[i] = theta;
        if (redist)
            s.redist_theta_1[i] = s.redist_theta_2[i] = theta;
        if (layered)
            s.THETA_ML[i][1] = theta;
    }
}
