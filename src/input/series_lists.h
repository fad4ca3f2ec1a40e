// Program-wide lists of named time series and elevation series, read from
// the project's series files and emptied at the end of every run.
// TODO: the series file readers and lookups.
#pragma once

#include <string>
#include <vector>

struct time_series {
    std::string name;
    int relative = 0;          // times are day offsets
    std::vector<double> times; // Julian days
    std::vector<double> values;
    int count = 0;
};

struct ts_index_entry {
    int id = 0;
    const time_series* series = nullptr;
};

struct elev_series {
    std::string name;
    std::vector<double> x;
    std::vector<double> y;
    int count = 0;
};

extern std::vector<time_series> time_series_list;
extern std::vector<ts_index_entry> ts_index_list;
extern std::vector<elev_series> elev_series_list;

// Empties the time-series list and its id table.
void ts_free_all();

// Empties the elevation-series list.
void elev_series_free_all();
