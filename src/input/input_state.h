// Input members of the model state: working copies of file names, the
// presence flags of the mapping-table tables, display cards and the
// hotstart file records.
#pragma once

#include <string>

#include "core/file_rec.h"

#include "input/mapping_table_checks.h"

struct input_names_state {
    std::string mapping_table_name;
    std::string precip_file_name;
    std::string hmet_file_name;
    int mapping_table_flags[mapping_table_flag_total] = {};
    int stream_table_flags[stream_table_flag_count] = {};
    int x_freq = 0;
    int xwin_width = 0;
    int xwin_height = 0;
    file_rec ov_boundary_file;
    file_rec flood_dataset_file;
    // Working copies of the file names the cards give.
    std::string albedo_name;
    std::string aquifer_bottom_name;
    std::string area_reduction_name;
    std::string canopy_name;
    std::string capillary_name;
    std::string chan_depth_hotstart_in_name;
    std::string chan_depth_hotstart_out_name;
    std::string chan_depth_name;
    std::string chan_discharge_name;
    std::string chan_flow_hotstart_in_name;
    std::string chan_flow_hotstart_out_name;
    std::string chan_point_input_name;
    std::string chan_sed_flux_name;
    std::string chan_stage_name;
    std::string chan_velocity_name;
    std::string channel_input_name;
    std::string conceptual_gw_name;
    std::string conductivity_name;
    std::string contam_map_name;
    std::string daily_output_name;
    std::string depth_name;
    std::string dike_map_name;
    std::string dis_rain_name;
    std::string discharge_name;
    std::string elevation_name;
    std::string flood_grid_name;
    std::string flood_stream_name;
    std::string grid_pipe_name;
    std::string gw_boundfile_name;
    std::string gw_fluxboundtable_name;
    std::string gw_hycond_map_name;
    std::string gw_output_name;
    std::string gw_porosity_map_name;
    std::string gw_recharge_cum_name;
    std::string gw_recharge_inc_name;
    std::string gw_well_level_name;
    std::string hmet_orog_gages_name;
    std::string in_celldepdis_location_name;
    std::string in_gwflux_location_name;
    std::string in_hyd_location_name;
    std::string in_sed_loc_name;
    std::string in_theta_location_name;
    std::string inf_depth_name;
    std::string interception_coeff_name;
    std::string lake_output_name;
    std::string links_name;
    std::string lowspot_file_name;
    std::string materials_name;
    std::string moisture_name;
    std::string nodes_name;
    std::string nwsrfs_elev_snow_name;
    std::string optimize_name;
    std::string out_celldepdis_location_name;
    std::string out_con_location_name;
    std::string out_dep_location_name;
    std::string out_gwflux_location_name;
    std::string out_hyd_location_name;
    std::string out_mass_location_name;
    std::string out_sed_loc_name;
    std::string out_theta_location_name;
    std::string out_well_location_name;
    std::string outlet_hydro_name;
    std::string ov_con_map_name;
    std::string ov_init_depth_name;
    std::string ov_point_source_name;
    std::string overland_depth_location_name;
    std::string overland_depths_name;
    std::string overland_lake_file_name;
    std::string overland_lake_map_name;
    std::string overland_wse_location_name;
    std::string overland_wse_name;
    std::string pipe_flow_name;
    std::string pipe_head_name;
    std::string pipe_tile_name;
    std::string pore_index_name;
    std::string porosity_name;
    std::string rate_of_infil_name;
    std::string read_sm_hotstart_name;
    std::string residual_sat_name;
    std::string reten_depth_name;
    std::string roughness_name;
    std::string sacramento_name;
    std::string section_table_name;
    std::string sig_outlet_hydro_name;
    std::string soil_layer_input_name;
    std::string soil_type_map_name;
    std::string sourcefile_name;
    std::string st_mapping_table_name;
    std::string storage_capacity_name;
    std::string storm_sewer_name;
    std::string stream_cell_name;
    std::string summary_name;
    std::string superlink_junc_flow_name;
    std::string superlink_junc_location_name;
    std::string superlink_node_flow_name;
    std::string superlink_node_location_name;
    std::string surf_moist_name;
    std::string tcoeff_name;
    std::string vheight_name;
    std::string vks_hydro_name;
    std::string water_table_name;
    std::string watershed_mask_name;
    std::string wilting_point_name;
    std::string write_ov_hotstart_name;
    std::string write_sm_hotstart_name;
};

struct hotstart_files {
    file_rec ov_hotstart_in_file;
    file_rec ov_hotstart_out_file;
    file_rec sm_hotstart_in_file;
    file_rec sm_hotstart_out_file;
    file_rec sourcefile_file;
    int ov_point_rows = 0;
};
