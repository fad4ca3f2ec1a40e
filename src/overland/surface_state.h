// Per-cell surface arrays of the model state: elevation, slopes, overland
// depths and discharges, embankments, low spots, interception, retention
// and roughness, with their switches.
#pragma once

#include <vector>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"

// One embankment low spot (records 1..n; entry 0 empty).
struct lowspot_rec {
    int row = 0;
    int col = 0;
    int side = 0; // 1 top, 2 right, 4 bottom, 8 left
    double fraction = 0.0;
    double elevation = 0.0;
    double discharge = 0.0;
};

struct surface_state {
    // Location of every cell: grid row and column, centre coordinates.
    checked_array<int> cell_row;
    checked_array<int> cell_col;
    checked_array<double> cell_x;
    checked_array<double> cell_y;

    dvec ground_elev;  // m
    dvec slope_x;      // toward the right neighbour
    dvec slope_y;      // toward the lower neighbour
    dvec ov_depth;     // m
    dvec ov_qx;        // face discharge toward the right, m3/s
    dvec ov_qy;        // face discharge toward the lower neighbour, m3/s
    dvec ov_cell_work; // work array of the routing schemes
    ivec boundary_type;
    int ov_boundary = 0;
    double head_bc_out_total = 0.0;

    ivec dike_mask;
    int dike_map_given = 0;
    std::vector<lowspot_rec> lowspots; // 1..lowspot_count
    int lowspot_count = 0;
    ivec low_spot_flow_cell;
    ivec wetland_id;

    // Surface parameters per cell.
    dvec dist_icep_cap;   // interception storage capacity, mm
    dvec dist_icep_coeff; // interception coefficient
    dvec retent_dep;      // retention depth, m
    dvec dist_rough;      // Manning n
    dvec roughness_exp;   // exponent of the depth-dependent roughness
    dvec dist_rough_copy; // Manning n before snow roughness
    dvec ov_block_frac;   // blocked fraction of the cell
    dmat ovr_flow_block_frac; // blocked fraction per cell side [cell][1..4]

    int overtype = 0;
    int ov_sweep_toggle = 0;
    double snow_darcy_f = 0.0;
    double surface_initial_volume = 0.0; // m3
    double ov_cleanup_volume = 0.0;      // m3 of clipped negative depths
    double manning_n_value = 0.0; // uniform Manning roughness
    int ovr_flow_block = 0;
    int snow_no_infiltrate = 0;
    int snow_roughness_given = 0;
    double snow_roughness = 0.0;
    int snow_darcy = 0;
    int snow_reynolds = 0;
    double snow_reynolds_value = 0.0;
    double uniform_retention = 0.0; // m
    int xybdyinput_ovdep = 0;
    int wetlands_on = 0;
    file_rec overland_depth_location_file;
    file_rec overland_depths_file;
    file_rec overland_wse_location_file;
    file_rec overland_wse_file;
};

// Overland lakes over the cells of the lake map.
struct ov_lake {
    double step_rain = 0.0; // m3 fallen on the lake in this overland step
    double volume = 0.0;
    double wse = 0.0;
    int num_cells = 0;
};

struct overland_lake_state {
    int overland_lake_on = 0;
    int num_oland_lakes = 0;
    ivec oland_lake_mask;
    ivec oland_lake_new;
    std::vector<ov_lake> oland_lakes; // 1..num_oland_lakes
    int oland_lake_changed = 0;
    double oland_lake_inflow_volume = 0.0;
};
