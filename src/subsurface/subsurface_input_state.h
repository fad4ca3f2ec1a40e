// Subsurface members filled at input time: the Richards node matrices, the
// aquifer parameters of the saturated groundwater model, the static wells
// and the records of the lumped subsurface models.
#pragma once

#include "core/arrays.h"
#include "subsurface/lumped_models.h"

struct richards_node_state {
    int richards_max_nodes = 0; // largest node count of any soil column + 2
    // [cell][node], rows 0..N and columns 0..richards_max_nodes.
    dmat PHEAD;
    dmat KHEAD;
    dmat WATCAP;
    dmat WATFLUX;
    dmat SOURCE;
    dmat KS;
    dmat THETAR;
    dmat THETAWP;
    dmat THETAFC;
    dmat LAM;
    dmat BP;
    dmat thehac;
    dmat BChc;
    // Havercamp retention only.
    dmat AHAV;
    dmat BHAV;
    dmat ALPHA;
    dmat BETA;
    dvec rich_work_1; // column work vectors, one value per node
    dvec rich_work_2;
    // Cells (and, with Richards columns, nodes) whose water content is
    // written: entries 1..num_theta_cells.
    int num_theta_cells = 0;
    ivec cell_loc;      // cell number of each entry
    ivec cell_num;      // number of nodes listed for each entry
    imat cell_node_list; // [entry][1..cell_num] node ids
};

struct groundwater_input_state {
    dvec gw_hyd_cond;      // aquifer conductivity per cell, m/s
    dvec gw_hyd_cond_copy;
    dvec gw_cell_dx;       // the cell's two widths, m
    dvec gw_cell_dy;
    dvec gw_porosity_copy;
    int gw_flux_cells = 0;    // cells of boundary type 6 (static flux)
    int gw_dyn_well_cells = 0; // cells of boundary type 3 (dynamic well)
    int gw_boundary_count = 0; // 1 when the wells come from the WELL_TABLE
    // Cells whose aquifer level is written (rows and columns 1..num_wells).
    int num_wells = 0;
    ivec well_row;
    ivec well_column;
    sac_model sac;
    cgw_model cgw;
    dvec upslope_area; // per cell, conceptual groundwater model
};
