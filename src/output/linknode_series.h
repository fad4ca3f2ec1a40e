// Writer of one link/node series (a nutrient or contaminant quantity at every
// node of every link): bound to its source, given its file and header, then
// written one output time per call.
#pragma once

#include <string>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"
#include "output/linknode_writers.h"

struct linknode_series {
    int next_ts = 0;                             // number of the next output time, from 0
    int source_kind = -1;                        // -1 unbound, 1 flat source, 2 [node][link] table source
    const double* flat_src = nullptr;            // node j of link i at i x node_stride + j (borrowed)
    const dnode_mat* table_src = nullptr;        // borrowed
    const row_array<double>* rows_src = nullptr; // table source held as rows [node][link] (borrowed)
    file_rec out;
    int type_id = 0; // kind written in the header
    int nlinks = 0;
    const ivec* valued = nullptr;  // entries of a link that carry values (borrowed)
    const ivec* entries = nullptr; // entries written per channel link (borrowed)
    const ivec* ltype = nullptr;   // link type bits (borrowed)
    const ivec* lake_of_link = nullptr;
    lake_values_view lake_values; // borrowed
    dnode_mat table;              // values of the current output time (owned)
    int node_stride = 0;
    double scale = 1.0;

    ~linknode_series();
};

// Makes an unbound series with a closed file.
linknode_series& linknode_series_construct(linknode_series& w);

// Bind the series to a [node][link] table or a flat source and size its
// output table to node_dim nodes by links links.
void linknode_series_init_table(linknode_series& w, int kind, const dnode_mat& source, const ivec& valued,
                                const ivec& entries, const ivec& ltype, const ivec& lake_of_link,
                                lake_values_view lake_values, int links, int node_dim);
void linknode_series_init_table(linknode_series& w, int kind, const row_array<double>& source,
                                const ivec& valued, const ivec& entries, const ivec& ltype,
                                const ivec& lake_of_link, lake_values_view lake_values, int links,
                                int node_dim);
void linknode_series_init_flat(linknode_series& w, int kind, const double* source, const ivec& valued,
                               const ivec& entries, const ivec& ltype, const ivec& lake_of_link,
                               lake_values_view lake_values, int links, int node_dim);

// Opens name + ext1 + ext2 for writing and writes the header with the run's
// times. A file that cannot be opened prints its message and stops the run
// (code 4000); false then. With `what`, the file is reported instead as
// "Unable to open <what> file" (code 4, raised), naming it.
bool linknode_series_open(linknode_series& w, const std::string& name, const char* ext1, const char* ext2,
                          double scale, const linknode_header_times& times, const char* what = nullptr);

// Writes one output time (or its message when the file is not open) and
// counts it.
void linknode_series_write(linknode_series& w);

// Closes the file once and frees the output table.
void linknode_series_destroy(linknode_series& w);

// Grows a row array of writers by n rows (the width defaults to 2); every
// new row holds width + 1 writers built by linknode_series_construct.
void linknode_series_row_array_add_rows(row_array<linknode_series>& a, int n);

// After a successful verification destroys the writers of every owned row
// and releases the rows and tables; adopted rows are left alone.
void linknode_series_row_array_destroy(row_array<linknode_series>& a);
