// The link/node file layout: a header of six items and, per output time, a
// row of entries for every link.
#pragma once

#include <cstdio>

#include "core/arrays.h"
#include "core/node_arrays.h"

struct model_state;

// The values of lakes 1..count, borrowed: a per-lake vector, or one
// constituent's row of a [constituent][lake] array. The storage must stay
// in place while the view is held.
struct lake_values_view {
    const double* values = nullptr;
    int count = 0;

    lake_values_view() = default;
    lake_values_view(const dvec& v) : values(v.data()), count(v.size()) {}
    lake_values_view(const double* row, int lakes) : values(row), count(row ? lakes : 0) {}

    int size() const { return count; }
    double operator[](int lake) const { return values[lake]; }
};

// Header fields of a link/node file that come from the run.
struct linknode_header_times {
    int time_step = 0; // minutes between output times
    int num_steps = 0;
    int day = 0, month = 0, year = 0, hour = 0, minute = 0;
};

// The run's header fields: TIME_STEP the hydrograph interval in minutes,
// NUM_TS the run's minutes over it (0 when the interval is under a
// minute), START_TIME the start of the run.
linknode_header_times linknode_run_times(const model_state& s);

// Writes the kind line (kinds 0..31), NUM_LINKS, TIME_STEP, NUM_TS and
// START_TIME.
void write_linknode_header(std::FILE* fp, int kind, int links, int time_step, int num_steps, int day, int month,
                           int year, int hour, int minute);

// Writes one output time: mode 0 the first table, mode 1 the first minus
// the second, mode 2 the first over the second (0 where the second is at
// most 1e-7). entries may be null (a row then has the valued-node count).
// The tables are [node][link], link-major (the channel's own arrays) or
// node-major.
void write_linknode_step(std::FILE* fp, int links, const ivec& valued, const ivec* entries, const ivec& ltype,
                         int step, const dnode_mat& first, const dnode_mat* second, int mode,
                         const ivec& lake_of_link, lake_values_view lake_values);
void write_linknode_step(std::FILE* fp, int links, const ivec& valued, const ivec* entries, const ivec& ltype,
                         int step, const dmat& first, const dmat* second, int mode, const ivec& lake_of_link,
                         lake_values_view lake_values);
