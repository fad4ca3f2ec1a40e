// The program-wide list of active wells, filled from the well table's index
// map and emptied when each run's model state is destroyed.
#pragma once

#include <vector>

struct well_rec {
    int id = 0;        // table ID in well_table_list, cell number in well_list
    double flux = 0.0; // rate of a static well, m3/s, positive when withdrawing
    int kind = 0;      // 0 static; otherwise the rate follows a time series
    int ts_id = 0;     // TIME_SERIES_INDEX ID of a well whose rate follows a series
};

extern std::vector<well_rec> well_list;
extern std::vector<well_rec> well_table_list;

// Releases every entry of the active-well list and leaves it empty.
void wells_free();
