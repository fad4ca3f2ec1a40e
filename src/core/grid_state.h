// The grid, the cell numbering and the run's own bookkeeping.
#pragma once

#include <string>

#include "core/arrays.h"

struct calib_capture_rec; // the calibration's result sink (not owned)

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
    calib_capture_rec* calib_capture = nullptr;
    int flush_line_count = 0;
    int flush_buffer_lines = 0;
};
