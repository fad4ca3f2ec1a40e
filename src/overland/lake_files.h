// Readers of the low-spot and lake files, and the hourly lake evaporation.
#pragma once

#include <string>
#include <vector>

#include "core/file_rec.h"
#include "overland/surface_state.h"

struct model_state;

// Reads the SPOT cards of an open low-spot file into records 1..count.
void read_lowspot_file(file_rec& file, const std::string& name, int& count,
                       std::vector<lowspot_rec>& spots);

// Reads the LAKE cards of an open lake file (kind 1 overland, 2 channel)
// into the water-surface elevations of lakes 1..expected.
void read_lake_file(file_rec& file, int kind, int expected, std::vector<ov_lake>& lakes);

// One hour of evaporation from every channel lake, then the lakes' extent.
void lake_evaporation(model_state& state, double wind, double air_temp, double rel_hum);

// Brings every channel lake's stage, area and flooded cells in line with
// its volume, in lake order.
void lake_extent_fork(model_state& state);

// Set once the maximum-extent warning has been given (once per process).
int& lake_extent_warning_given();
