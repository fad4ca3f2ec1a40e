// Overland lakes: the lake number of every cell, each lake's initial stage
// from the lake file, and its cell count and volume below that stage.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"
#include "overland/lake_files.h"

void read_overland_lakes(model_state& s)
{
    if (s.overland_lake_on != 1)
        return;
    reader_echo(s, echo_rule::with_trials,
                text_format("reading overland lake map from file: %s\n", s.overland_lake_map_name.c_str()));
    read_cell_ints(s, s.overland_lake_map_file, s.overland_lake_map_name, s.oland_lake_mask);
    file_rec_close(s.overland_lake_map_file);
    if (run_stopped())
        return;

    const int n = s.num_cells;
    s.oland_lake_new = s.oland_lake_mask;
    int lakes = 0;
    for (int i = 1; i <= s.oland_lake_mask.size(); ++i)
        lakes = std::max(lakes, s.oland_lake_mask[i]);
    s.num_oland_lakes = lakes;
    s.oland_lakes.assign(static_cast<size_t>(lakes) + 1, ov_lake{});

    read_lake_file(s.overland_lake_param_file, 1, lakes, s.oland_lakes);
    file_rec_close(s.overland_lake_param_file);
    if (run_stopped())
        return;

    for (ov_lake& lake : s.oland_lakes) {
        lake.num_cells = 0;
        lake.volume = 0.0;
    }
    const double area = s.gridsize * s.gridsize;
    for (int i = 1; i <= n && i <= s.oland_lake_mask.size(); ++i) {
        const int e = s.oland_lake_mask[i];
        if (e == 0)
            continue;
        ov_lake& lake = s.oland_lakes[static_cast<size_t>(e)];
        ++lake.num_cells;
        if (s.ground_elev[i] > lake.stage) {
            std::printf("There is a lake cell in lake %d that is above the initial lake water surface\n", e);
            std::printf("elevation in that lake, which is specified as %f.  This situation is not\n",
                        lake.stage);
            std::printf("physically realistic.  Check your lake map.  Program terminated.\n");
            error_set(err_stop);
            report_error(error_state);
            return;
        }
        lake.volume += (lake.stage - s.ground_elev[i]) * area;
    }
    s.oland_lake_initial_volume = 0.0;
    for (size_t k = 1; k < s.oland_lakes.size(); ++k)
        s.oland_lake_initial_volume += s.oland_lakes[k].volume;
}
