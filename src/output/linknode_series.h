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
