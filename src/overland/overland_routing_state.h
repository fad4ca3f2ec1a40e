// Overland routing members of the model state: work arrays and totals of
// the routing schemes, boundaries, pumping and embankment flow.
#pragma once

#include "core/arrays.h"

struct overland_routing_state {
    dvec ov_qx_sum; // face volumes of the step, m3
    dvec ov_qy_sum;
    dvec ov_depth_change; // m: change of the last sweep; at the outlet its removal
    dvec ov_depth_pred;   // predicted depth of the predictor-corrector scheme, m
    dvec ov_q_first;      // first-stage face discharge of that scheme, m3/s
    dvec max_flood_depth; // largest depth reached per cell (FLOOD_GRID), m
    dvec ov_bc_rough;     // effective roughness of the boundary step (OV_BOUNDARY)

    int ov_wet = 0;        // some non-lake cell holds water
    int ov_flowing = 0;    // some non-lake cell has a face discharge
    int snow_present = 0;  // snow or melt water remains on the watershed
    int ov_bc_started = 0; // the fixed boundary values of the run are in effect

    // Outlet volume since the last outlet constituent step, m3.
    double ov_outlet_vol_acc = 0.0;

    // Exchange between the overland cells and the channel lakes.
    dvec lake_in_dv;  // per channel lake: volume gained from the cells, m3
    dvec lake_out_dv; // per channel lake: volume lost to the cells, m3
    double lake_outflow_volume = 0.0;
    double ov_to_lake_vol = 0.0;
    double ov_from_lake_vol = 0.0;
};
