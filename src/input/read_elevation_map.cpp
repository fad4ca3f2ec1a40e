// Ground elevation of every cell and the outlet cell.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

namespace
{

constexpr double no_data_elevation = -9999.0;

} // namespace

void read_elevation_map(model_state& s)
{
    // After a failed mask read the cells are not numbered: nothing to read into.
    if (run_stopped())
        return;
    reader_echo(s, echo_rule::normal,
                text_format("reading elevation map from file: %s\n", s.elevation_name.c_str()));
    read_cell_reals(s, s.elevation_file, s.elevation_name, s.ground_elev);
    file_rec_close(s.elevation_file);
    if (run_stopped())
        return;

    // -9999 is the customary no-data value: on an active cell it is almost
    // surely a hole in the elevation data rather than a real ground level.
    for (int i = 1; i <= s.num_cells && i <= s.ground_elev.size(); ++i)
        if (s.ground_elev[i] == no_data_elevation)
            std::printf("Warning: cell %d (row %d, column %d) of elevation map %s holds %.0f, the usual "
                        "no-data value.\n",
                        i, s.cell_row[i], s.cell_col[i], s.elevation_name.c_str(), no_data_elevation);

    s.outlet_cell = 0;
    if (s.outrow >= 1 && s.outrow <= s.grid_rows && s.outcol >= 1 && s.outcol <= s.grid_cols)
        s.outlet_cell = s.mask[s.outrow][s.outcol];
    if (s.outlet_cell == 0 && !s.chan_explicit) {
        std::printf("\nThe outlet row and column you specified in the project file are not\n");
        std::printf("inside the watershed mask.  Check the outlet row and column again, and\n");
        std::printf("make sure they are correctly specified in the project file using the\n");
        std::printf("OUTROW and OUTCOL project file cards.  TORVA terminating.\n\n");
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    reader_echo(s, echo_rule::normal, text_format("outlet is in grid cell: %d\n", s.outlet_cell));
}
