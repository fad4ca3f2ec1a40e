// Output writer of one per-link/per-node quantity: a mass file and a
// concentration file.
#pragma once

#include "core/containers.h"
#include "core/file_rec.h"

struct linknode_series {
    file_rec mass_file;
    file_rec conc_file;
    checked_array<double> values;

    ~linknode_series();
};

linknode_series& linknode_series_construct(linknode_series& w);
void linknode_series_destroy(linknode_series& w);

// Grows a row array of writers by n rows (the width defaults to 2); every
// new row holds width + 1 writers built by linknode_series_construct.
void linknode_series_row_array_add_rows(row_array<linknode_series>& a, int n);

// After a successful verification destroys the writers of every owned row
// and releases the rows and tables; adopted rows are left alone.
void linknode_series_row_array_destroy(row_array<linknode_series>& a);
