// Output writer of one gridded quantity, written at every output time.
#pragma once

#include "core/containers.h"
#include "core/file_rec.h"

struct map_series {
    file_rec file;
    checked_array<double> values;
    checked_array<double> totals;
    checked_array<int> cells;
    int format = 0; // 1: dataset file
    double nodata = -999.99;
    double scale = 1.0;
    int next_seq = 1;

    ~map_series();
};

// Builds an empty writer in place; allocates nothing.
map_series& map_series_construct(map_series& w);

// Ends a dataset file, reports bad ranges, closes the file.
void map_series_destroy(map_series& w);

// Grows a row array of writers by n rows (the width defaults to 2); every
// new row holds width + 1 writers built by map_series_construct.
void map_series_row_array_add_rows(row_array<map_series>& a, int n);

// After a successful verification destroys the writers of every owned row
// and releases the rows and tables; adopted rows are left alone.
void map_series_row_array_destroy(row_array<map_series>& a);
