// The channel link of each cell, for the conceptual groundwater model with
// explicit channel routing: a full integer grid, taken in cell order.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/subsurface_inputs.h"

void read_link_map(model_state& s)
{
    if (!(s.chan_explicit == 1 && s.conceptual_gw == 1))
        return;
    ivector_alloc_zero(s.con_node, s.num_cells, "con_node");
    ivector_alloc_zero(s.con_link, s.num_cells, "con_link");
    file_rec file;
    if (!file_rec_open(file, s.links_name, "r")) {
        std::printf("Cannot open link file: %s\n", s.links_name.c_str());
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    std::printf("reading link map from file: %s\n", s.links_name.c_str());
    read_grid_map(file, s.links_name, grid_full_ints, s.grid_north, s.grid_south, s.grid_east, s.grid_west,
                  s.grid_rows, s.grid_cols, s.data, nullptr, nullptr, nullptr, s.rows, s.cols, s.calib_mode);
    file_rec_close(file);
    if (run_stopped())
        return;
    for (int r = 1; r <= s.rows; ++r)
        for (int c = 1; c <= s.cols; ++c) {
            const int cell = s.mask[r][c];
            if (cell >= 1 && cell <= s.con_link.size())
                s.con_link[cell] = s.data[r][c];
        }
}
