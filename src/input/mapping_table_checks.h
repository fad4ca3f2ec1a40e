// Presence checks of the mapping-table file and of the stream mapping-table
// file, run right after the project file is read.
#pragma once

#include <string>

// Positions of the presence flags in mapping_table_flags.
enum mapping_table_flag : int {
    mt_roughness = 0,
    mt_rough_exp,
    mt_ovr_flow_block,
    mt_interception,
    mt_retention,
    mt_green_ampt_infiltration,
    mt_green_ampt_soil_moisture,
    mt_multi_layer_soil,
    mt_richards_havercamp,
    mt_richards_brooks,
    mt_evapotranspiration,
    mt_sediments,
    mt_soil_erosion_props,
    mt_contaminants,
    mt_wetlands,
    mt_overland_boundary,
    mt_well_table,
    mt_groundwater,
    mt_groundwater_boundary,
    mt_area_reduction,
    mt_qbn_n,
    mt_qbn_p,
    mt_qbn_oth,
    mt_qbn_c,
    mt_qbn_dispersion,
    mt_qbn_soil_c,
    mt_qbn_soil_n,
    mt_qbn_soil_p,
    mt_qbn_gw_n,
    mt_qbn_gw_p,
    mt_qbn_gw_oth,
    mt_qbn_soil_km,
    mt_qbn_soil_koc,
    mapping_table_flag_total
};

constexpr int stream_table_flag_count = 6;

// Looks for the 33 tables and sets one presence flag per table.
void check_mapping_tables(const std::string& name, int (&flags)[mapping_table_flag_total], int quiet);

// Checks the stream mapping-table file and sets its presence flags.
void check_stream_mapping_file(const std::string& name, int (&flags)[stream_table_flag_count], int quiet);

// The index-map name of the Richards table of the mapping-table file:
// option 1 the Brooks table, 2 the Havercamp table; empty when not found.
void get_richards_index_map(const std::string& mapping_table, int option, std::string& index_map);
