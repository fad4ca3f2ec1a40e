// The water table and the aquifer bottom: the AQUIFER_BOTTOM grid with
// saturated groundwater, else (Richards columns) 0.1 m below the water
// table; a bottom at or above the ground is lowered to the ground.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/subsurface_inputs.h"

void read_water_table(model_state& s)
{
    if (!s.water_table)
        return;
    // Runs without groundwater or soil columns have not opened it yet.
    if (!s.water_table_file.fp && !file_rec_open(s.water_table_file, s.water_table_name, "r")) {
        error_set(err_open_file, "water table", s.water_table_name.c_str());
        error_state.raised = 1;
        return;
    }
    reader_echo(s, echo_rule::normal, text_format("reading water table map from file: %s\n", s.water_table_name.c_str()));
    read_cell_reals(s, s.water_table_file, s.water_table_name, s.elevgw);
    file_rec_close(s.water_table_file);
    if (run_stopped())
        return;
    if (s.gw_simulation) {
        reader_echo(s, echo_rule::normal,
                    text_format("reading aquifer bottom map from file: %s\n", s.aquifer_bottom_name.c_str()));
        read_cell_reals(s, s.aquifer_bottom_file, s.aquifer_bottom_name, s.bottom_elev);
        file_rec_close(s.aquifer_bottom_file);
        if (run_stopped())
            return;
    } else if (s.inf_richards) {
        // The Richards columns end on a thin aquifer just below the table.
        s.aquifer_delta_z = 0.1;
        for (int i = 1; i <= s.bottom_elev.size() && i <= s.elevgw.size(); ++i)
            s.bottom_elev[i] = s.elevgw[i] - 0.1;
    }
    for (int i = 1; i <= s.bottom_elev.size() && i <= s.ground_elev.size(); ++i) {
        if (s.bottom_elev[i] < s.ground_elev[i])
            continue;
        std::printf("Aquifer bottom elevation %lf for cell %d is at or above ground surface elevation %lf \n",
                    s.bottom_elev[i], i, s.ground_elev[i]);
        std::printf("Aquifer bottom elevation set to ground elevation \n");
        s.bottom_elev[i] = s.ground_elev[i];
    }
}
