// Overland lakes: the stage and extent of every lake after a time step's
// inflow, the candidate sort, and the water the lakes hold.
#pragma once

#include <vector>

#include "overland/surface_state.h"

struct model_state;

// A cell next to a rising lake (or an added cell of a falling one) with
// its level: water surface for a candidate, ground for a listed cell.
struct lake_candidate {
    double key = 0.0;
    int cell = 0;
};

// Work lists of the lake-extent update; they grow as needed and are kept
// between calls, so the time loop does not allocate once they are large
// enough.
struct olake_work {
    std::vector<lake_candidate> candidates; // candidates or listed cells
    std::vector<double> levels;             // first key of each level group
    std::vector<int> counts;                // candidates up to each group
};

// The cells and maps one update reads (indices 1..n).
struct olake_grid {
    int n = 0;
    double dx = 0.0;
    const double* z = nullptr;
    double* h = nullptr;
    const int* above = nullptr;
    const int* right = nullptr;
    const int* below = nullptr;
    const int* left = nullptr;
    const int* initial = nullptr; // lake map as read
    int* current = nullptr;       // lake map of the current extent
    const int* dike = nullptr;    // embankment sides (null without DIKE_MAP)
};

// Brings lakes 1..lakes.size()-1 in number order to the stage their step
// inflow (volume_in plus step_rain) gives, taking the cells a rising lake
// overtops and giving back the added cells a falling lake uncovers. The
// water that changes hands is added to the inflow and outflow totals; the
// rain, already in the inflow total, is not added again. False after an
// orderly stop (message printed, error code set).
bool olake_extent(const olake_grid& g, std::vector<ov_lake>& lakes, double& inflow_total, double& outflow_total,
                  olake_work& work);

// Orders the entries by key, then by cell number.
void sort2(std::vector<lake_candidate>& list);

// The work lists of the process.
olake_work& olake_process_work();

// Water held by the overland lakes (their running volumes), m3.
double oland_lakes_volume(const model_state& state);
