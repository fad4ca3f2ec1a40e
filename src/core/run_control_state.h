// Run controls, peak tracking, the event water balance, rain-period
// bookkeeping and the run switches copied from the project cards.
#pragma once

#include "core/arrays.h"

struct run_control_state {
    double timestep = 0.0;      // working base step, s
    double timestep_base = 0.0; // copy of the base step, s
    int rows = 0;
    int cols = 0;
    int tot_time = 0; // minutes
    int hyd_freq_steps = 0;
    int map_freq_steps = 0;
    int outrow = 0;
    int outcol = 0;
    double outslope = 0.0;

    // Peak tracking.
    double event_peak_q = 0.0;
    double peak_q = 0.0;
    double peak_q_time = 0.0;
    int peak_q_date[6] = {}; // year, month, day, hour, minute, second

    double elapsed_min = 0.0;
    double qout = 0.0; // outlet discharge, m3/s

    // Header of the last grid read.
    int grid_rows = 0;
    int grid_cols = 0;
    double grid_north = 0.0;
    double grid_south = 0.0;
    double grid_east = 0.0;
    double grid_west = 0.0;
    int outlet_cell = 0;

    int keep_running = 0;
    int chan_routing_active = 0; // the channel network is routed
    int clock_passes = 0;

    // Neighbour cell numbers (0: none), per cell.
    ivec rightcon;
    ivec belowcon;
    ivec leftcon;
    ivec abovecon;

    double gridsize = 0.0; // m
    int step_count = 0;

    // Event water balance (m3) and the event-start copies.
    double outflow_vol = 0.0;
    double discharge_total = 0.0; // run total at the outlet, m3
    double surface_vol = 0.0;
    double chan_vol = 0.0;
    double rain_vol = 0.0;
    double infil_vol = 0.0;
    double mass_error_pct = 0.0;
    double init_outflow_vol = 0.0;
    double init_surface_vol = 0.0;
    double init_chan_vol = 0.0;
    double init_rain_vol = 0.0;
    double init_infil_vol = 0.0;
    double event_outflow_vol = 0.0;
    double et_volume_event = 0.0;
    double infil_volume_event = 0.0;
    double event_exfil_vol = 0.0;
    double event_vol_extra = 0.0;
    double richards_volume_event = 0.0;
    int neg_area_count = 0;

    // Rain-period bookkeeping.
    int raining = 0;
    int rain_period = 0;
    int awaiting_rain = 0;
    int rain_steps = 0;
    int event_read_ok = 0;
    double event_rain_sum = 0.0;
    double rain_start_min = 0.0;

    int units = 0;
    double qout_cfs_factor = 0.0; // cubic feet per cubic metre

    // Given-flags of map and table cards.
    int mapping_table_given = 0;
    int roughness_given = 0;
    int manning_n_given = 0;
    int conductivity_given = 0;
    int moisture_given = 0;
    int capillary_given = 0;
    int porosity_given = 0;
    int pore_index_given = 0;
    int residual_sat_given = 0;
    int albedo_given = 0;
    int vheight_given = 0;
    int tcoeff_given = 0;
    int canopy_given = 0;
    int wilting_point_given = 0;

    // Run switches.
    int long_term = 0;
    int quiet = 0;
    int qout_cfs = 0;
    int optimize = 0;
    int et_calc_penman = 0;
    int et_calc_deardorff = 0;
    int green_ampt = 0;
    int inf_redist = 0;
    int inf_layered_soil = 0;
    int inf_richards = 0;
    int chan_explicit = 0;
    int chan_mesh = 0;
    int chan_implicit = 0;
    int qnt_mode = 0;
    int qnt_event_num = 0;
    int qnt_event_num_value = 0;
    int flush_buffer = 0;
    int stream_info = 0;

    // Hydrometeorological file formats.
    int hmet_surfaways = 0;
    int hmet_samson = 0;
    int hmet_ktr = 0;
    int hmet_ascii = 0;
    int hmet_ascii_pet = 0;

    // Channel link/node output requests.
    int chan_depth_given = 0;
    int chan_discharge_given = 0;
    int chan_velocity_given = 0;
    int chan_stage_given = 0;
    int chan_sed_flux_given = 0;
    // Switches and given flags of further cards.
    int area_reduction_given = 0;
    int contam_map_given = 0;
    int in_celldepdis_location_given = 0;
    int in_gwflux_location_given = 0;
    int in_hyd_location_given = 0;
    int in_theta_location_given = 0;
    int out_con_location_given = 0;
    int out_dep_location_given = 0;
    int out_mass_location_given = 0;
    int interception = 0;
    int retention_given = 0;
    int reten_depth_given = 0;
    int lowspot_file_given = 0;
    int overland_depths = 0;
    int overland_wse = 0;
    int sig_outlet_hydro = 0;
    int lake_output = 0;
    int sourcefile = 0;
    int strict_julian_date = 0;
    int end_test_offset = 0;
    int optimize_sed = 0;
    int ov_point_source = 0;
    int flood_grid = 0;
    int flood_stream = 0;
    int vks_hydro = 0;
    // Location of the basin and time zone.
    double latitude = 0.0;
    double longitude = 0.0;
    double gmt = 0.0; // hours
    int gmt_given = 0;
};
