// Subsurface members of the model state: per-cell infiltration, soil water
// and evapotranspiration arrays; groundwater, Richards, Sacramento and
// conceptual groundwater state; and the table of soil types.
#pragma once

#include <array>

#include "core/arrays.h"
#include "core/file_rec.h"

struct soil_surface_state {
    dvec inf_rate;      // m/s
    dvec inf_depth;     // m
    dvec soil_moisture; // surface water content
    dvec hyd_cond;      // m/s
    dvec cap_head;      // m
    dvec porosity;
    dvec pore_index;
    dvec residual_sat;
    dvec init_moisture;
    int soil_water_acct = 0;
    double top_layer_depth = 0.0; // cm
    double soil_moist_depth = 0.0;
    dvec soil_water_top; // cm
    dvec soil_water_low; // cm
    dvec soil_depth;     // cm
    ivec soiltype;                      // soil type of each cell
    double init_avg_moisture = 0.0;     // mean relative moisture at the event's start
    dvec unsat_down_flux;               // cm passed down since the last event, per cell
    dvec direct_evap;                   // cm of ponded water evaporated since the last event, per cell
    double unsat_down_flux_total = 0.0; // m3
    double direct_evap_total = 0.0;     // m3
    dvec pet_rate;       // cm/s
    dvec et_rate;        // cm/s
    dvec albedo;
    dvec vheight;
    dvec tcoeff;
    dvec canopy;
    dvec wilting_point;
    double evap_total = 0.0;  // m3
    double infil_total = 0.0; // m3
    int cont_redist = 0;
    int redist_initialised = 0;
    int uniform_moisture = 0;
    double uniform_init_moisture = 0.0;
    int richards_iter_max = 0;
    double richards_weight = 0.0;
    int richards_k_option = 0;
    int richards_c_option = 0;
    double richards_dtheta_max = 0.0;
    int richards_upper_option = 0;
    // Exfiltration volumes, m3.
    double exfil_vol_event_start = 0.0;
    double exfil_vol_event = 0.0;
    double exfil_vol_total = 0.0;
    double inf_exfil_vol = 0.0;
    // Per-cell soil parameters and infiltration state, allocated with the
    // watershed for the schemes that are on.
    ivec yes_exfil;            // 1 where the cell exfiltrates
    dvec dist_ksat;            // saturated conductivity, m/s
    dvec dist_cap_head;        // capillary head, m
    dvec dist_porosity;
    dvec dist_pore_index;
    dvec dist_resid_sat;       // residual saturation
    dvec dist_init_moisture;   // initial water content
    dvec dist_inf_col6;        // sixth column of the Green-Ampt table
    dvec dist_wilting_point;
    dvec event_inf_depth;      // infiltrated depth of the event, m
    dvec inf_depth_mark;       // infiltrated depth at the last mark, m
    ivec iter_pond_1;          // redistribution iteration state
    ivec iter_n;
    ivec no_wat_prof;
    ivec iter_i_less_k;
    dvec soil_water;           // cm
    dvec et_removed;           // infiltration not yet taken into the accounting column, m
    // Accounting-column tallies per cell: drainage out of the column bottom
    // and out of the upper layer (cm), infiltration taken in (m), and the
    // evapotranspiration drawn from groundwater (m).
    dvec soil_bottom_drain_acc;
    dvec soil_top_drain_acc;
    dvec soil_acct_input;
    dvec soil_et_array;
    dvec gw_inf_redist_theta;
    dvec sm_bottom_loss;
    dvec topo_dex;             // topographic index (Sacramento)
    dvec wetdep;               // wetting-front depth of the layered soils
    dvec root_depth;
    // Evapotranspiration parameters per cell.
    dvec dist_albedo;
    dvec dist_veg_height;
    dvec dist_trans_coeff;
    dvec dist_canopy_resist;
    dvec redist_theta_1;              // redistribution: water content of the upper wetting profile
    dvec redist_theta_2;              // redistribution: surface water content reported to the model
    dvec redist_aux;                  // redistribution: depth held by the older profile, m
    double layered_et_total = 0.0;    // m3
    double soil_initial_volume_run = 0.0; // soil water at the start of the run, m3
    double soil_initial_volume = 0.0;     // accounting column at the start of the run, m3
};

struct subsurface_state {
    int gw_simulation = 0;
    double aquifer_delta_z = 0.0;
    int gw_porosity_map = 0;
    int gw_unif_porosity = 0;
    int gw_hycond_map = 0;
    int gw_unif_hycond = 0;
    double gw_relax_coeff = 0.0;
    int gw_sweep_order = 0;
    int gw_exfil_any = 0;
    int gw_step_count = 0;
    dvec gw_head;
    dvec cell_recharge_cum;  // cumulative groundwater recharge per cell
    dvec cell_recharge_prev; // its value at the previous map output time
    dvec elevgw;
    dvec bottom_elev;
    dmat THETA;     // Richards water content per cell and node
    dmat THETA_ML;  // layered-soil water content per cell and layer
    dvec soil_bottom_flux;
    dvec PHEADOLD;       // Richards work vectors, one value per node: heads and
    dvec theta_start;    // contents at the start of a sub-step, interface
    dvec k_interface;    // conductivities K(l - 1/2) and heads of the last pass
    dvec phead_iter;
    dvec soil_recharge_gw; // water that left each column's bottom for the groundwater step, cm
    long long richards_substeps = 0; // column sub-steps solved in the run
    int sacramento = 0;
    double sac_next = 0.0, sac_dt_days = 0.0;
    int conceptual_gw = 0;
    double cgw_next = 0.0, cgw_dt_days = 0.0;
    int water_table = 0;
    int gw_assign_theta = 0;
    int gw_lsor_dir = 0;
    double gw_lsor_con = 0.0;
    double single_unsat_sat = 0.0;
    double gw_leakage_rate = 0.0;
    double gw_unif_porosity_value = 0.0;
    double gw_unif_hycond_value = 0.0;
    int gw_well_level = 0;
    int gw_output = 0;
    int gw_fluxboundtable = 0;
    int sac_topo_index = 0;
    int cgw_topo_index = 0;
    file_rec gw_boundary_file;
    file_rec gw_well_level_file;
    file_rec gw_hycond_file;
    file_rec gw_porosity_file;
    // Richards columns and groundwater arrays allocated with the watershed.
    dvec VOLCHANGE;
    dvec MASSERROR;
    dvec dtr;
    dvec avgks;
    dvec totaldz;
    ivec num1; // nodes of soil layers 1, 2 and 3 per soil type (0..largest id in use)
    ivec num2;
    ivec num3;
    ivec numcells;  // nodes of each cell's column
    ivec numtot;    // total nodes of each cell's column
    ivec bound_type;
    dvec gw_flux;
    dvec inf_rich;
    ivec gwbound;   // groundwater boundary type per cell
    ivec num_unsat_cells;
    dvec well_flux;
    dvec A;         // tridiagonal work vectors of the groundwater solver
    dvec B;
    dvec C;
    dvec D;
    dmat THETAS; // Richards saturated water content per cell and node
    dmat DZ;     // Richards node thickness per cell and node, cm
    dvec gw_porosity; // aquifer porosity per cell
    // Groundwater volumes, m3: event exchanges (reset at the event start),
    // run totals and the saturated storage at the start of the run.
    double gw_to_chan_event = 0.0;
    double chan_to_gw_event = 0.0;
    double gw_to_lake_event = 0.0;
    double lake_to_gw_event = 0.0;
    double gw_to_unsat_event = 0.0;
    double evap_event = 0.0;
    double gw_initial_volume = 0.0;
    double gw_inputs_total = 0.0;
    double gw_recharge_total = 0.0;
    double gw_leakage_total = 0.0;
    double gw_pumping_total = 0.0;
    double gw_boundary_flux_total = 0.0;
    double sat_unsat_volume = 0.0;
    double gw_to_river_total = 0.0;
    double river_to_gw_total = 0.0;
    double gw_to_lake_total = 0.0;
    double lake_to_gw_total = 0.0;
    // Sacramento soil-moisture accounting (the model itself is `sac`): the
    // contents at the start (uztwc, uzfwc, lztwc, lzfpc, lzfsc), run totals
    // (mm unless stated), event volumes (m3), the clock's step count, the
    // infiltration mark of the last step (m) and the discharge to the
    // channel (m3/s).
    double sac_initial_contents[5] = {};
    double sac_initial_storage = 0.0;
    double sac_rain_total = 0.0;
    double sac_pet_total = 0.0;
    double sac_aet_total = 0.0;
    double sac_runoff_total = 0.0;
    double sac_deep_recharge = 0.0;
    double sac_river_to_gw = 0.0; // m3
    double sac_aet_event = 0.0;
    double sac_baseflow_event = 0.0;
    double sac_infil_event = 0.0;
    double sac_subsurface_start_event = 0.0;
    double sac_subsurface_end_event = 0.0;
    int sac_step_count = 0;
    double sac_inf_mark = 0.0;
    double sac_to_chan = 0.0;
    // Shares of the lumped models' discharge: per grid-stream cell and
    // entry, or per channel cell when the channel has no grid-stream file.
    dmat gst_cgw_weight;
    dvec sac_cell_weight;
    double cgw_to_chan = 0.0; // m3/s
    int cgw_step_count = 0;
    double cgw_inf_mark = 0.0; // cgw_inf_acc at the last step, m
};

// Layered-soil parameters of one soil type: one value per layer.
struct soil_layer_rec {
    double depth[3] = {};
    double hyd_cond[3] = {};
    double porosity[3] = {};
    double cap_head[3] = {};
    double pore_index[3] = {};
    double residual_sat[3] = {};
    double field_capacity[3] = {};
    double wilting_point[3] = {};
    double init_moisture[3] = {};
    // Richards table only.
    double bubbling_head[3] = {}; // cm, stored negative
    double node_spacing[3] = {};  // cm
    double hav_alpha[3] = {};     // Havercamp retention alpha, cm
    double hav_beta[3] = {};
    double hav_a[3] = {};         // Havercamp conductivity A and B
    double hav_b[3] = {};
    // Long-term vegetation values of the type (standalone Richards table).
    double albedo = 0.0, veg_height = 0.0, trans_coeff = 0.0, canopy_resist = 0.0;
};

constexpr int soil_type_count = 10000;

struct soil_type_table {
    std::array<soil_layer_rec, soil_type_count> soil_layers{};
};

void soil_layer_rec_clear(soil_layer_rec& rec);
