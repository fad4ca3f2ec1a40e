// Embankments: the dike map of embankment sides per cell and the low spots
// where water can cross them.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"
#include "overland/lake_files.h"

namespace
{

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_dike_map(model_state& s)
{
    if (!s.dike_map_given)
        return;
    if (!file_rec_open(s.dike_map_file, s.dike_map_name, "r")) {
        std::printf("Can't open input dike mask file named: %s\n", s.dike_map_name.c_str());
        stop_run();
        return;
    }
    ivector_alloc_zero(s.dike_mask, s.num_cells, "dike_mask");
    reader_echo(s, echo_rule::with_trials,
                text_format("reading overland flow dike map from file: %s\n", s.dike_map_name.c_str()));
    read_cell_ints(s, s.dike_map_file, s.dike_map_name, s.dike_mask);
    file_rec_close(s.dike_map_file);
    if (run_stopped() || !s.lowspot_file_given)
        return;

    if (!file_rec_open(s.lowspot_list_file, s.lowspot_file_name, "r")) {
        std::printf("Can't open input low spot file named: %s\n", s.lowspot_file_name.c_str());
        stop_run();
        return;
    }
    read_lowspot_file(s.lowspot_list_file, s.lowspot_file_name, s.lowspot_count, s.lowspots);
    file_rec_close(s.lowspot_list_file);
    if (run_stopped())
        return;
    for (int i = 1; i <= s.lowspot_count && i < static_cast<int>(s.lowspots.size()); ++i) {
        const lowspot_rec& spot = s.lowspots[static_cast<size_t>(i)];
        if (spot.row >= 1 && spot.row <= s.rows && spot.col >= 1 && spot.col <= s.cols)
            continue;
        std::printf(
            "Error: low spot %d of the lowspot input file %s, row %d column %d, lies outside the grid of "
            "%d rows and %d columns.\n",
            i, s.lowspot_file_name.c_str(), spot.row, spot.col, s.rows, s.cols);
        stop_run();
        return;
    }
}
