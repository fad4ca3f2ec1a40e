// Overland flow and lake steps called by the run driver.
#pragma once

#include "core/arrays.h"

struct model_state;

void build_cell_connectivity(model_state& state);
void compute_cell_slopes(model_state& state);
void sum_initial_surface_volume(model_state& state);
void ov_point_source_step(model_state& state);
void overland_step(model_state& state);
void olake_step(model_state& state);

// Fills the four neighbour lists from the cell-number grid.
void build_neighbour_lists(int rows, int cols, ivec& right, ivec& below, ivec& above, ivec& left,
                           const imat& grid);
