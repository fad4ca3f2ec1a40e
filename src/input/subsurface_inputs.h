// Readers of the input hub that fill the soil, infiltration, groundwater and
// lumped-model parameters, and the soil-moisture output locations. Each
// takes the model state, reports failures through the error record and
// returns nothing.
#pragma once

#include <string>

struct model_state;

// Soil and infiltration parameters of the scheme that is on; calls the four
// readers below in this order.
void read_infiltration_params(model_state& state);
void read_area_reduction(model_state& state);
// The soil type of every cell from the SOIL_TYPE_MAP grid; false when the
// run stops (a type outside 0..9999 is refused).
bool read_soil_type_map(model_state& state);
void read_et_and_moisture_maps(model_state& state);
void read_water_table(model_state& state);
void read_richards_soil(model_state& state);

// The Richards node matrices, rows 0..N and columns 0..nodes (the Havercamp
// four only with retention option 2).
void alloc_richards_nodes(model_state& state, int nodes);

// Saturated groundwater: boundary types, wells and static fluxes, aquifer
// conductivity and porosity, the well-level list.
void read_groundwater_inputs(model_state& state);
void load_sacramento_params(model_state& state);
void load_conceptual_gw_params(model_state& state);
// Channel link of each cell for the conceptual groundwater model.
void read_link_map(model_state& state);

// The cell number at (row, col) of entry `entry` of a user's list of cells;
// 0 after a refusal naming the file, entry, row and column (outside the
// grid, or outside the watershed), reported with the run stopped.
int listed_cell_number(const model_state& state, const std::string& file, int entry, int row, int col);

// IN_THETA_LOCATION: the cells (and Richards nodes) whose water content is written.
void read_cell_location_list(model_state& state);
