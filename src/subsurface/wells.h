// The program-wide list of active wells, filled from the well table's index
// map and emptied when each run's model state is destroyed.
#pragma once

#include <vector>

struct well_rec {
    int id = 0;
    double flux = 0.0; // m3 per day
};

extern std::vector<well_rec> well_list;
extern std::vector<well_rec> well_table_list;

// Releases every entry of the active-well list and leaves it empty.
void wells_free();
