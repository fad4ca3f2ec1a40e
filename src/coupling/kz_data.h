// The KZ segment-coupling record, owned by the model state through a pointer.
#pragma once

#include <memory>
#include <vector>

#include "core/arrays.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"

struct kz_data {
    int nseg = 0;                         // largest segment number of the map
    ivec seg_map;                         // segment of each cell, 0 = none ("kz_data->seg_map")
    ivec active_array;                    // 1 for the segments the map holds ("kz_data->active_array")
    std::vector<double> flux;             // [0..nseg] flow summed since the last write, m3/s
    int nsteps = 0;                       // steps summed since the last write
    file_rec out;                         // the segment flux file
    int nrows = 0;                        // rows of the link/node table
    std::vector<int> link, node, segment; // rows 0..nrows-1
    int day_base_set = 0;                 // the first day written is the base of the day count
    double day_base = 0.0;
};

// Releases the record's arrays, closes its file and frees it.
void kz_coupling_free(std::unique_ptr<kz_data>& kz);

// Adds the flows that reach each segment in this step: the overland face
// discharges (m3/s) across the outline of every segment, and with channel
// routing the discharge of the table's nodes.
void kz_accumulate_fluxes(kz_data& kz, const dvec& ov_qx, const dvec& ov_qy, int num_cells,
                          const ivec& rightcon, const ivec& belowcon, int chan_routing, const dnode_mat& qp,
                          double dx);

// Writes the mean flow of every active segment since the last write, with
// the day relative to the first day written (which is 1).
void kz_write_fluxes(kz_data& kz, double day);
