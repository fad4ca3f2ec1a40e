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

// One wetland type (records 1..wetland_count; entry 0 empty).
struct wetland_rec {
    double initial_depth = 0.0;        // m
    double layer_depth = 0.0;          // m
    double layer_conductivity = 0.0;   // m/s
    double transition_depth = 0.0;     // m
    double surface_conductivity = 0.0; // m/s
    double spare = 0.0;
    double wetland_roughness = 0.0; // Manning n
    double elevation_offset = 0.0;  // m
};

struct elev_series;

// Overland boundary record of one cell: its rating curve (none when not bound).
struct ov_bc_cell {
    elev_series* rating = nullptr;
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
    dvec ov_bc_values_a; // boundary value in effect for the step
    dvec ov_bc_values_b; // boundary value of the table: fixed value or series id
    int ov_boundary = 0;
    // Boundary run totals, m3.
    double head_bc_in_total = 0.0;
    double head_bc_out_total = 0.0;
    double discharge_bc_in_total = 0.0;
    double discharge_bc_out_total = 0.0;
    double slope_bc_out_total = 0.0;
    double discharge_bc_unmet_total = 0.0;
    // Overland point sources: volume of the running event and run total, m3.
    double ov_point_vol = 0.0;
    double ov_point_vol_total = 0.0;
    dvec ov_point_q; // point-source discharge per cell, m3/s (filled by the constituent input)

    ivec dike_mask;
    int dike_map_given = 0;
    std::vector<lowspot_rec> lowspots; // 1..lowspot_count
    int lowspot_count = 0;
    ivec low_spot_flow_cell;
    ivec wetland_id;
    int wetland_count = 0;
    std::vector<wetland_rec> wetland_props; // 1..wetland_count
    ivec wetland_mask;                      // wetland number per cell, 0 none

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
    int sweep_order = 0;
    double snow_darcy_f = 0.0;
    double surface_initial_volume = 0.0; // m3
    double ov_cleanup_volume = 0.0;      // m3 added by setting negative depths to 0 (run total)
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
    // Set up with the watershed by the input readers.
    dvec ov_depth_old;             // depth at the start of the overland step, m
    dvec cell_output_values;       // per-cell values handed to the map writers
    dvec ov_q_map;                 // cell discharge of the discharge maps, m3/s
    dvec area_reduction_values;    // open fraction of each cell
    double snow_roughness_n = 0.0; // Manning n of snow-covered cells
    // Overland output locations (OVERLAND_DEPTHS, OVERLAND_WSE): grid rows
    // and columns, entries 1..count.
    int num_overland_depth_cells = 0;
    ivec overland_depth_row;
    ivec overland_depth_col;
    int num_overland_wse_cells = 0;
    ivec overland_wse_row;
    ivec overland_wse_col;
    // Rating curves of the boundary cells of types 6 and 7 (entries 1..N),
    // and the scratch of one boundary cell's four sides.
    std::vector<ov_bc_cell> ov_rating_curves;
    ivec face_dir;
    dvec face_head;
};

// Overland lakes over the cells of the lake map.
struct ov_lake {
    double step_rain = 0.0; // m3 fallen on the lake in this overland step
    double volume = 0.0;
    int num_cells = 0;
    double stage = 0.0;      // water-surface elevation, m
    double stage_init = 0.0; // initial water-surface elevation, m
    double volume_in = 0.0;  // m3 entered since the lake step last cleared it
};

struct overland_lake_state {
    int overland_lake_on = 0;
    int num_oland_lakes = 0;
    ivec oland_lake_mask;
    ivec oland_lake_new;
    std::vector<ov_lake> oland_lakes; // 1..num_oland_lakes
    int oland_lake_changed = 0;
    double oland_lake_inflow_volume = 0.0;
    double oland_lake_outflow_volume = 0.0;
    double oland_lake_initial_volume = 0.0; // water above the ground in lake cells at the start, m3
};
