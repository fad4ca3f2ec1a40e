// The grid, the cell numbering and the run's own bookkeeping.
#pragma once

#include <memory>
#include <string>

#include "core/arrays.h"

struct calib_sink; // the calibration's result sink

struct grid_state {
    int num_rows = 0;
    int num_cols = 0;
    int num_cells = 0;
    double sac_area = 0.0; // watershed area, m2
    imat mask; // cell number of each row and column, 0 outside
    imat data; // target of integer index-map reads
    std::string run_project_path;
    int end_time_on = 0;
    double end_time_julian = 0.0;
    int super_quiet = 0;
    int calib_mode = 0; // toolbox trial: screen lines silenced
    calib_sink* calib_capture = nullptr;
    std::shared_ptr<calib_sink> own_calib_sink; // a sink the run made for itself
    int flush_line_count = 0;
    int flush_buffer_lines = 0;
};
