// Members of the model state owned by the saturated groundwater solver: the
// aquifer's per-cell coefficients and rates, the assembled five-point
// equations, the solver's work vectors (sized for the run's grid at the
// first solve) and the solver's counters.
#pragma once

#include "core/arrays.h"
#include "core/node_arrays.h"

// Work vectors of the line solver: one line of the grid at a time, so at
// least max(rows, cols) + 2 entries each.
struct gw_line_work {
    dvec a;     // super-diagonal
    dvec b;     // diagonal
    dvec c;     // sub-diagonal
    dvec d;     // right-hand side, then the line's solution
    dvec old;   // heads of the line before the solve
    ivec cells; // cell number of each equation of the line
};

struct groundwater_state {
    dvec gw_ksat_x;  // conductivity along rows, m/s
    dvec gw_ksat_y;  // conductivity along columns, m/s
    dvec gw_trans_x; // transmissivities of the latest pass, m2/s
    dvec gw_trans_y;
    dvec gw_sat_thickness; // head - bottom of the latest pass, m
    // The assembled equations: coefficient x neighbour head summed with
    // diagonal x own head equals the right-hand side.
    dvec gw_coef_above;
    dvec gw_coef_below;
    dvec gw_coef_left;
    dvec gw_coef_right;
    dvec gw_coef_diag;
    dvec gw_rhs;
    dvec gw_sink;           // net sink rate, m/s, positive out of the aquifer
    dvec gw_pumping;        // well withdrawal per cell area, m/s
    dvec gw_leakage;        // leakage to the deep aquifer, m/s
    dvec gw_unsat_gain;     // water a moving water table hands to the aquifer, cm
    dvec gw_chan_exchange;  // aquifer to channel since the last step, m3
    dvec lake_source;       // aquifer to lake since the last step, m3
    dvec gw_head_old;       // head at the start of the step, m
    dvec soil_recharge_out; // recharge for the maps, cm (fixed-head cells not booked)
    dvec gw_head_substep;   // head at the start of the sub-step, m
    dvec gw_head_iter;      // head of the latest Picard pass, m
    gw_line_work gw_line;
    // Stream-aquifer and lake-bed exchange.
    dnode_mat qriv;                 // per node and metre of channel, m2/s, positive into the channel
    dnode_mat av_qriv;              // qriv summed over the groundwater steps of the event
    dvec lake_gw_rate;              // per lake cell and metre of cell width, m2/s, positive into the lake
    dvec lake_bed_thick;            // per channel lake, cm (from the channel file's MLAKE, m); 0 without one
    ivec og_gwbound_type;           // boundary type of each cell as read, restored when a lake releases it
    double gw_refit_exchange = 0.0; // re-fit results of the step, cm summed over cells
    // Counters of the run: solves, Picard passes and line-solver sweeps.
    long long gw_solve_count = 0;
    long long gw_pass_count = 0;
    long long gw_sweep_count = 0;
};
