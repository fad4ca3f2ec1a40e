// Working state of the weather-file readers that is kept between record
// calls: the day tables of NCDC surface-airways files and the working grids
// of hourly weather grids with their per-cell values.
#pragma once

#include <string>
#include <vector>

#include "core/arrays.h"

// Elements of an NCDC surface-airways file, in the order of its count line.
enum ncdc_element {
    ncdc_drad,
    ncdc_grad,
    ncdc_pres,
    ncdc_rhum,
    ncdc_tmpd,
    ncdc_tskc,
    ncdc_wind,
    ncdc_elements
};

// The six header values of one hourly weather grid.
struct hmet_grid_header {
    int cols = 0, rows = 0;
    double llx = 0.0, lly = 0.0, cell = 0.0;
    int nodata = 0;
};

// The eight grids of a time stamp, in the order they are read.
enum hmet_grid_kind {
    hmet_grid_cloud,
    hmet_grid_precip,
    hmet_grid_pressure,
    hmet_grid_rel_hum,
    hmet_grid_temp,
    hmet_grid_direct_rad,
    hmet_grid_global_rad,
    hmet_grid_wind,
    hmet_grid_kinds
};

// A per-cell grid value without data (-9999 is stored for those).
inline bool hmet_no_data(double v)
{
    return v <= -9990.0;
}

struct hmet_reader_state {
    // NCDC: the raw values of the day's elements per hour of the day (a
    // missing value leaves the previous day's value of that hour), which
    // elements the day's lines gave, the first line of the next day read
    // ahead, and the next hour to give (24: read the next day first).
    int ncdc_table[ncdc_elements][24] = {};
    int ncdc_seen[ncdc_elements] = {};
    int ncdc_day[3] = {};
    int ncdc_hour = 24;
    int ncdc_ended = 0;
    int ncdc_pending_on = 0;
    std::string ncdc_pending;
    std::string ncdc_prev_code;

    // Hourly grids: the header every grid of the run must share, the values
    // of the current hour's grids (the precipitation grid is not kept), the
    // position in the grids of each cell's centre, and whether the first
    // record call (with its announcements) has been made.
    hmet_grid_header hmet_grid_ref;
    int hmet_grid_sized = 0;
    int hmet_grid_first_done = 0;
    int hmet_grid_gaps_told = 0; // cells without weather were announced
    std::vector<double> hmet_grid_values[hmet_grid_kinds];
    ivec hmet_grid_pos;
    // Per-cell weather of the hour (1..N): radiation as in the grids, cloud
    // cover in tenths, %, mb, m/s. The temperature is hmet_cell_temp.
    dvec hmet_cell_direct_rad, hmet_cell_global_rad, hmet_cell_cloud;
    dvec hmet_cell_rel_hum, hmet_cell_pressure, hmet_cell_wind;
};
