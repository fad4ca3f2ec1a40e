// Overland flow and lake steps called by the run driver, and the pieces of
// the overland step that other parts of the model and the tests use.
#pragma once

#include "core/arrays.h"

struct model_state;

void build_cell_connectivity(model_state& state);
void compute_cell_slopes(model_state& state);
void sum_initial_surface_volume(model_state& state);
void ov_point_source_step(model_state& state);
void overland_step(model_state& state);
void olake_step(model_state& state);

// Moves the channel lakes' step gains and losses (lake_in_dv, lake_out_dv)
// into the run's lake totals and clears them.
void book_lake_exchange(model_state& state);

// Fills the four neighbour lists from the cell-number grid.
void build_neighbour_lists(int rows, int cols, ivec& right, ivec& below, ivec& above, ivec& left,
                           const imat& grid);

// Sizes the per-cell work arrays of the overland routing for the run's cell
// and lake counts (arrays of the right size are left as they are).
void alloc_overland_routing(model_state& state);

// True when the arrays the routing reads are there for every cell.
bool overland_routing_ready(const model_state& state);

// Weir flow over the embankment low spots for dt seconds; out_vol and
// in_vol grow by the water given to and taken from fixed-head cells.
void embankment_flow(model_state& state, double dt, double& out_vol, double& in_vol);

// out[i] = nb[i] exp(-b[i] h[i]) for i = 1..n.
void effective_roughness(int n, const double* nb, const double* b, const double* h, double* out);

// The depth map: out[i] = depth[i] for i = 1..n, and with channel lakes the
// lake depth over the flooded cells of each lake.
void lake_depth_fork(const model_state& state, const double* depth, double* out, int n);

// max[i] = the larger of max[i] and depth[i] for i = 1..n.
void update_max_flood_depth(const double* depth, double* max, int n);

// Boundary values of the current time; `first` at the first overland step
// of the run, when the fixed values take effect.
void ov_bc_series_values(model_state& state, bool first);

// Applies the boundary conditions over dt seconds before routing.
void apply_ov_boundaries(model_state& state, double dt, bool first);

// Overland pumping of the OV_PUMP card over dt seconds.
void ov_pump_step(model_state& state, double dt);
