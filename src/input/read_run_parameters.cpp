// First step of a run: the project file into the card records, then the
// card values into the working fields of the run.
#include <cstdio>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/proc_group.h"
#include "coupling/coupling_state.h"
#include "input/input_steps.h"
#include "input/mapping_table_checks.h"
#include "input/replace_params.h"

namespace {

void copy_overland_cards(model_state& s, const project_cards& c)
{
    s.interception = c.interception_coeff_given;
    s.overland_depths = c.overland_depths_given;
    s.overland_depths_name = c.overland_depths;
    s.overland_depth_location_name = c.overland_depth_location;
    s.overland_wse = c.overland_wse_given;
    s.overland_wse_name = c.overland_wse;
    s.overland_wse_location_name = c.overland_wse_location;
    s.dike_map_given = c.dike_map_given;
    s.dike_map_name = c.dike_map;
    s.lowspot_file_given = c.lowspot_file_given;
    s.lowspot_file_name = c.lowspot_file;

    s.ov_con_trans = c.ov_con_trans;
    if (c.ov_con_trans) {
        s.ov_con_sub = 1;
        s.con_any = 1;
    }
    s.all_contam_output = c.all_contam_output;
    s.contam_map_given = c.contam_map_given;
    s.contam_map_name = c.contam_map;
    s.soil_con_trans = c.soil_con_trans;
    s.soil_static_conc = c.soil_static_conc;
    s.sediment_contam = c.sediment_contam;
    s.ov_decay_coef = c.ov_decay_coef;
    s.ov_disp_coef = c.ov_disp_coef;
    s.ov_mass_load = c.ov_mass_load;
    s.ov_uptake_rate = c.ov_uptake_rate;
    s.kinetics_timestep_factor = c.kinetics_timestep_factor;

    s.units = s.run.units;
    s.manning_n_value = c.manning_n;
    s.manning_n_given = c.manning_n_given;
    s.ovr_flow_block = c.ovr_flow_block;
    s.snow_no_infiltrate = c.snow_no_infiltrate;
    s.snow_roughness = c.snow_roughness;
    s.snow_roughness_given = c.snow_roughness_given;
    s.snow_darcy = c.snow_darcy_given;
    if (c.snow_darcy_given) s.snow_darcy_f = c.snow_darcy;
    s.snow_reynolds = c.snow_reynolds_given;
    if (c.snow_reynolds_given) s.snow_reynolds_value = c.snow_reynolds;
    s.retention_given = c.retention_given;
    s.reten_depth_given = c.reten_depth_given;
    s.overtype = c.overtype;

    s.overland_lake_on = c.overland_lake_map_given;
    s.overland_lake_map_name = c.overland_lake_map;
    s.overland_lake_file_name = c.overland_lake_file;

    s.storm_sewer = c.storm_sewer_given;
    s.storm_sewer_name = c.storm_sewer;
    s.grid_pipe_name = c.grid_pipe;
    s.superlink_c_opt = c.superlink_c_opt;
    s.high_head_release = c.high_head_release;
    s.superlink_drainmod = c.superlink_drainmod;
    s.superlink_junc_location_given = c.superlink_junc_location_given;
    s.superlink_junc_location_name = c.superlink_junc_location;
    s.superlink_node_location_given = c.superlink_node_location_given;
    s.superlink_node_location_name = c.superlink_node_location;
    s.superlink_junc_flow_given = c.superlink_junc_flow_given;
    s.superlink_junc_flow_name = c.superlink_junc_flow;
    s.superlink_node_flow_given = c.superlink_node_flow_given;
    s.superlink_node_flow_name = c.superlink_node_flow;
    s.pipe_head_given = c.pipe_head_given;
    s.pipe_head_name = c.pipe_head;
    s.pipe_tile_given = c.pipe_tile_given;
    s.pipe_tile_name = c.pipe_tile;
    s.pipe_flow_given = c.pipe_flow_given;
    s.pipe_flow_name = c.pipe_flow;
}

void copy_long_term_cards(model_state& s, const project_cards& c)
{
    s.long_term = c.long_term;
    if (!s.long_term) return;
    s.hmet_surfaways = c.hmet_surfaways;
    s.hmet_samson = c.hmet_samson;
    s.hmet_ktr = c.hmet_ktr;
    s.hmet_ascii = c.hmet_ascii;
    s.hmet_ascii_pet = c.hmet_ascii_pet;
    if (c.hmet_surfaways || c.hmet_samson || c.hmet_ktr || c.hmet_ascii || c.hmet_ascii_pet)
        s.hmet_file_name = c.hmet_file;
    s.et_calc_penman = c.et_calc_penman;
    s.et_calc_deardorff = c.et_calc_deardorff;
    s.event_min_q = c.event_min_q;
    s.seasonal_rs = c.seasonal_rs;
    if (c.seasonal_rs == 1 && c.seasonal_rs_spring > 0) {
        s.seasonal_rs_spring = c.seasonal_rs_spring;
        s.seasonal_rs_fall = c.seasonal_rs_fall;
        s.seasonal_rs_summer_start = c.seasonal_rs_summer_start;
        s.seasonal_rs_summer_end = c.seasonal_rs_summer_end;
    }
    s.nwsrfs_snow = c.nwsrfs_snow;
    s.eb_snow = c.eb_snow;
    s.nwsrfs_retention = c.nwsrfs_retention;
    s.snap_retention = c.snap_retention;
    s.route_lat_snow = c.route_lat_snow;
    s.nwsrfs_mf_max_given = c.nwsrfs_mf_max_given;
    s.nwsrfs_mf_min_given = c.nwsrfs_mf_min_given;
    s.nwsrfs_fr_use_given = c.nwsrfs_fr_use_given;
    s.nwsrfs_scf_given = c.nwsrfs_scf_given;
    s.nwsrfs_tipm_given = c.nwsrfs_tipm_given;
    s.nwsrfs_nmf_given = c.nwsrfs_nmf_given;
    s.nwsrfs_fua_given = c.nwsrfs_fua_given;
    s.nwsrfs_plwhc_given = c.nwsrfs_plwhc_given;
    s.snow_temp_base_given = c.snow_temp_base_given;
    s.hmet_elev_gage_given = c.hmet_elev_gage_given;
    s.hmet_lapse_rate_given = c.hmet_lapse_rate_given;
    s.nwsrfs_elev_snow = c.nwsrfs_elev_snow_given;
    if (s.nwsrfs_elev_snow == 1) s.nwsrfs_elev_snow_name = c.nwsrfs_elev_snow;
    s.orogvar_hmet = c.orogvar_hmet;
    s.hmet_orog_gages_given = c.hmet_orog_gages_given;
    if (s.hmet_orog_gages_given == 1) s.hmet_orog_gages_name = c.hmet_orog_gages;
}

void copy_channel_cards(model_state& s, const project_cards& c)
{
    s.chan_explicit = 0;
    s.chan_drain_backwater = 0;
    s.chan_drain = 0;
    s.chan_mesh = 0;
    s.xsec_summary_depth = s.xsec_summary_area = s.xsec_summary_width = s.xsec_summary_conveyance = 0;

    s.chan_depth_given = c.chan_depth_given;
    s.chan_depth_name = c.chan_depth;
    s.chan_discharge_given = c.chan_discharge_given;
    s.chan_discharge_name = c.chan_discharge;
    s.chan_stage_given = c.chan_stage_given;
    s.chan_stage_name = c.chan_stage;
    s.chan_velocity_given = c.chan_velocity_given;
    s.chan_velocity_name = c.chan_velocity;
    s.chan_sed_flux_given = c.chan_sed_flux_given;
    s.chan_sed_flux_name = c.chan_sed_flux;
    s.max_courant_number = c.max_courant_number;

    switch (s.run.chan_route_type) {
    case 3:
        s.chan_explicit = 1;
        break;
    case 2:
        s.chan_drain_backwater = 1;
        s.chan_drain = 1;
        break;
    case 5:
        s.chan_drain_backwater = 1;
        break;
    case 4:
        s.chan_mesh = 1;
        break;
    default:
        break;
    }
    if (!s.chan_explicit) return;

    s.overbank_flow = c.overbank_flow;
    if (c.overbank_max_dv_given) s.overbank_factor = c.overbank_max_dv;
    s.overland_backwater = c.overland_backwater;
    s.grid_stream = 1;
    s.head_bound = c.head_bound;
    s.bound_depth = c.bound_depth;
    s.bound_ts_given = c.bound_ts_given;
    s.bound_ts_name = c.bound_ts;
    s.k_river = c.k_river;
    s.m_river = c.m_river;
    s.m_lake = c.m_lake;
    s.hotstart_is_depth = c.hotstart_is_depth;
    s.chan_hotstart_write = c.explic_backwater || c.write_chan_hotstart;
    s.chan_hotstart_read = c.explic_hotstart || c.read_chan_hotstart;
    s.stream_loss = c.stream_loss;
    s.stream_cell_name = c.stream_cell;
    s.first_order_chan_q = c.first_order_chan_q;
    s.chan_decay_coef = c.chan_decay_coef;
    s.chan_disp_coef = c.chan_disp_coef;
    s.init_chan_conc = c.init_chan_conc;
    s.out_con_location_given = c.out_con_location_given;
    s.out_mass_location_given = c.out_mass_location_given;
    s.chan_con_trans = c.chan_con_trans;
    if (c.chan_con_trans) s.con_any = 1;
}

void copy_infiltration_cards(model_state& s, const project_cards& c)
{
    s.green_ampt = s.inf_redist = s.inf_layered_soil = s.inf_richards = 0;
    switch (s.run.infil_type) {
    case 1:
        s.green_ampt = 1;
        break;
    case 2:
        s.inf_redist = 1;
        s.soil_water_acct = 1;
        if (!c.no_cont_inf_redist) s.cont_redist = 1;
        break;
    case 3:
        s.inf_layered_soil = 1;
        s.soil_water_acct = 1;
        break;
    case 4:
        s.inf_richards = 1;
        break;
    default:
        break;
    }
    s.moisture_given = c.moisture_given;
    if (c.mapping_table_given) s.moisture_given = 1;
    s.uniform_moisture = 0;
    s.richards_iter_max = c.richards_iter_max;
    s.richards_weight = c.richards_weight;
    s.richards_k_option = c.richards_k_option;
    s.richards_c_option = c.richards_c_option;
    s.richards_dtheta_max = c.richards_dtheta_max;
    s.richards_upper_option = c.richards_upper_option;
}

void copy_groundwater_cards(model_state& s, const project_cards& c)
{
    s.water_table = c.water_table_given;
    if (!s.water_table) return;
    s.gw_assign_theta = c.gw_assign_theta;
    s.water_table_name = c.water_table;
    s.gw_simulation = c.gw_simulation;
    if (!s.gw_simulation) return;
    s.stream_loss = 1;
    s.gw_lsor_dir = c.gw_lsor_dir;
    s.gw_dt = c.gw_timestep;
    s.gw_lsor_con = c.gw_lsor_con;
    s.single_unsat_sat = c.single_unsat_sat;
    s.gw_leakage_rate = c.gw_leakage_rate;
    s.gw_relax_coeff = c.gw_relax_coeff;
    s.gw_porosity_map = c.gw_porosity_map_given;
    s.gw_porosity_map_name = c.gw_porosity_map;
    s.gw_unif_porosity = c.gw_unif_porosity_given;
    s.gw_unif_porosity_value = c.gw_unif_porosity;
    s.gw_hycond_map = c.gw_hycond_map_given;
    s.gw_hycond_map_name = c.gw_hycond_map;
    s.gw_unif_hycond = c.gw_unif_hycond_given;
    s.gw_unif_hycond_value = c.gw_unif_hycond;
    s.gw_fluxboundtable_name = c.gw_fluxboundtable;
    s.gw_boundfile_name = c.gw_boundfile;
    s.gw_output_name = c.gw_output;
    s.gw_well_level = c.gw_well_level_given;
    s.gw_well_level_name = c.gw_well_level;
    s.gw_output = c.gw_output_given;
    s.out_well_location_name = c.out_well_location;
    s.aquifer_bottom_name = c.aquifer_bottom;
    s.aquifer_delta_z = c.aquifer_delta_z;
}

void copy_precipitation_cards(model_state& s)
{
    s.precip_unif = s.precip_file_on = s.rain_inv_distance = s.rain_thiessen = s.precip_radar = 0;
    s.rain_record_gages = s.rain_record_rates = s.rain_record_accum = s.rain_record_radar = 0;
    if (s.precip.kind == 0) {
        s.precip_unif = 1;
        s.rain_intensity = s.precip.rain_intensity;
        s.rain_duration = static_cast<double>(s.precip.rain_duration);
        s.cur_year = s.event_year = s.run.start_year;
        s.cur_month = s.event_month = s.run.start_month;
        s.cur_day = s.event_day = s.run.start_day;
        s.cur_hour = s.event_hour = s.run.start_hour;
        s.cur_minute = s.event_minute = s.run.start_minute;
        s.cur_seconds = 0.0;
        s.cur_second = 0;
        s.start_hhmm = s.run.start_hour * 100 + s.run.start_minute;
        s.start_yyyymmdd = s.run.start_year * 10000 + s.run.start_month * 100 + s.run.start_day;
        s.raining = 1;
        const double start = julian_date(s.run.start_year, s.run.start_month, s.run.start_day,
                                         s.run.start_hour, s.run.start_minute, 0.0);
        s.current_time = start;
        s.sim_start_jd = start;
        s.event_start_times[1] = start;
        s.next_event_time = start;
    } else if (s.precip.kind == 1) {
        s.precip_file_on = 1;
        s.raining = 0;
        if (s.precip.gauge_option == 0) s.rain_inv_distance = 1;
        if (s.precip.gauge_option == 1) s.rain_thiessen = 1;
    } else if (s.precip.kind == 2) {
        s.precip_radar = 1;
    }
}

void copy_exchange_cards(model_state& s, const project_cards& c)
{
    s.qnt_mode = c.qnt;
    s.zebo_exchange = c.zebo_given;
    const std::string dir = "exchange/";
    s.zebo_path = dir + c.zebo;
    s.moist_to_zebo_name = dir + c.moist_to_zebo;
    s.ksat_to_zebo_name = dir + c.ksat_to_zebo;
    s.rough_to_zebo_name = dir + c.rough_to_zebo;
    s.poros_to_zebo_name = dir + c.poros_to_zebo;
    s.erosivity_to_zebo_name = dir + c.erosivity_to_zebo;
    s.crop_fact_to_zebo_name = dir + c.crop_fact_to_zebo;
    s.net_erosion_to_zebo_name = dir + c.net_erosion_to_zebo;
    s.moist_from_zebo_name = dir + c.moist_from_zebo;
    s.ksat_from_zebo_name = dir + c.ksat_from_zebo;
    s.rough_from_zebo_name = dir + c.rough_from_zebo;
    s.erosivity_from_zebo_name = dir + c.erosivity_from_zebo;
    s.crop_fact_from_zebo_name = dir + c.crop_fact_from_zebo;
    s.et_demand_from_zebo_name = dir + c.et_demand_from_zebo;
    s.qnt_event_num_value = c.qnt_event_num;
    s.qnt_event_num = c.qnt_event_num_given;
    s.zebo_first = c.zebo_first;
    s.moist_to_zebo = c.moist_to_zebo_given;
    s.ksat_to_zebo = c.ksat_to_zebo_given;
    s.rough_to_zebo = c.rough_to_zebo_given;
    s.poros_to_zebo = c.poros_to_zebo_given;
    s.erosivity_to_zebo = c.erosivity_to_zebo_given;
    s.crop_fact_to_zebo = c.crop_fact_to_zebo_given;
    s.net_erosion_to_zebo = c.net_erosion_to_zebo_given;
    s.moist_from_zebo = c.moist_from_zebo_given;
    s.ksat_from_zebo = c.ksat_from_zebo_given;
    s.rough_from_zebo = c.rough_from_zebo_given;
    s.erosivity_from_zebo = c.erosivity_from_zebo_given;
    s.crop_fact_from_zebo = c.crop_fact_from_zebo_given;
    s.et_demand_from_zebo = c.et_demand_from_zebo_given;
}

void copy_output_cards(model_state& s, const project_cards& c)
{
    s.map_type_grids = s.run.map_type == 0;
    s.map_dataset = s.run.map_type == 1 || s.run.map_type == 2;
    s.map_binary = s.run.map_type == 2;
    s.depth = c.depth_given;
    s.depth_name = c.depth;
    s.include_channel_depth = c.include_channel_depth;
    s.dis_rain = c.dis_rain_given;
    s.dis_rain_name = c.dis_rain;
    s.gw_recharge_cum = c.gw_recharge_cum_given;
    s.gw_recharge_cum_name = c.gw_recharge_cum;
    s.gw_recharge_inc = c.gw_recharge_inc_given;
    s.gw_recharge_inc_name = c.gw_recharge_inc;
    s.inf_depth_map = c.inf_depth_given;
    s.inf_depth_name = c.inf_depth;
    s.surf_moist = c.surf_moist_given;
    s.surf_moist_name = c.surf_moist;
    s.discharge = c.discharge_given;
    s.discharge_name = c.discharge;
    s.rate_of_infil = c.rate_of_infil_given && s.run.infil_type != 0;
    s.rate_of_infil_name = c.rate_of_infil;
    s.in_hyd_location_given = c.in_hyd_location_given;
    s.in_gwflux_location_given = c.in_gwflux_location_given;
    s.in_celldepdis_location_given = c.in_celldepdis_location_given;
    s.out_dep_location_given = c.out_dep_location_given;
    s.in_theta_location_given = c.in_theta_location_given;
    s.ov_con_map = c.ov_con_map_given;
    s.ov_point_source = c.ov_point_source_given;
    s.sig_outlet_hydro = c.sig_outlet_hydro_given;
    s.lake_output = c.lake_output_given;
    s.sourcefile = c.sourcefile_given;
    s.gw_fluxboundtable = s.run.gw_fluxboundtable;
}

void copy_working_names(model_state& s, const project_cards& c)
{
    s.watershed_mask_name = c.watershed_mask;
    s.elevation_name = c.elevation;
    s.moisture_name = c.moisture;
    s.conductivity_name = c.conductivity;
    s.capillary_name = c.capillary;
    s.porosity_name = c.porosity;
    s.pore_index_name = c.pore_index;
    s.residual_sat_name = c.residual_sat;
    s.roughness_name = c.roughness;
    s.precip_file_name = s.precip.precip_file;
    s.links_name = c.links;
    s.nodes_name = c.nodes;
    s.channel_input_name = c.channel_input;
    s.section_table_name = c.section_table;
    s.summary_name = c.summary;
    s.outlet_hydro_name = c.outlet_hydro;
    s.sig_outlet_hydro_name = c.sig_outlet_hydro;
    s.lake_output_name = c.lake_output;
    s.vks_hydro = c.vks_hydro_given;
    s.vks_hydro_name = c.vks_hydro;
    s.storage_capacity_name = c.storage_capacity;
    s.interception_coeff_name = c.interception_coeff;
    s.reten_depth_name = c.reten_depth;
    s.in_hyd_location_name = c.in_hyd_location;
    s.out_hyd_location_name = c.out_hyd_location;
    s.in_gwflux_location_name = c.in_gwflux_location;
    s.out_gwflux_location_name = c.out_gwflux_location;
    s.in_celldepdis_location_name = c.in_celldepdis_location;
    s.out_celldepdis_location_name = c.out_celldepdis_location;
    s.out_dep_location_name = c.out_dep_location;
    s.out_con_location_name = c.out_con_location;
    s.out_mass_location_name = c.out_mass_location;
    s.chan_point_input_name = c.chan_point_input;
    s.ov_point_source_name = c.ov_point_source;
    s.in_theta_location_name = c.in_theta_location;
    s.out_theta_location_name = c.out_theta_location;
    s.ov_con_map_name = c.ov_con_map;
    s.in_sed_loc_name = c.in_sed_loc;
    s.out_sed_loc_name = c.out_sed_loc;
    s.albedo_name = c.albedo;
    s.vheight_name = c.vheight;
    s.tcoeff_name = c.tcoeff;
    s.canopy_name = c.canopy;
    s.wilting_point_name = c.wilting_point;
    s.materials_name = c.materials;
    s.soil_type_map_name = c.soil_type_map;
    s.soil_layer_input_name = c.soil_layer_input_file;
    s.x_freq = c.x_freq;
    s.xwin_width = c.xwin_width;
    s.xwin_height = c.xwin_height;
    s.daily_output.daily_output = c.daily_output_given;
    s.daily_output_name = c.daily_output;
    s.sourcefile_name = c.sourcefile;
    s.ov_init_depth_name = c.ov_init_depth;
    s.read_sm_hotstart_name = c.read_sm_hotstart;
    s.write_sm_hotstart_name = c.write_sm_hotstart;
    s.write_ov_hotstart_name = c.write_ov_hotstart;
    s.flood_stream_name = c.flood_stream;
    s.area_reduction_name = c.area_reduction;
}

} // namespace

void read_run_parameters(model_state& s, const std::string& project_path)
{
    if (!s.calib_mode && group_ctx.rank == 0)
        std::printf("reading run parameters from project file: %s\n", project_path.c_str());

    read_project_file(project_path, s.cards, s.run, s.precip, s.calib_mode);
    if (s.run.project_not_found) {
        error_set(err_project_not_found);
        error_state.raised = 1;
        return;
    }
    const project_cards& c = s.cards;

    if (c.pause) pause_on_exit = 1;
    // A card that stopped the reading stops the run: nothing after it is taken up.
    if (run_stopped()) return;
    if (s.run.end_year != 0) {
        s.end_time_on = 1;
        s.end_time_julian =
            julian_date(s.run.end_year, s.run.end_month, s.run.end_day, s.run.end_hour, s.run.end_minute, 0.0);
    }
    s.nutrients = c.nutrients;
    if (s.nutrients) s.qbn_object = std::move(s.cards.nutrient_object);

    if (c.kz_input_given || c.kz_fluxes) {
        s.kz_input_flag = c.kz_input_given;
        if (c.kz_input_given && s.run.map_type != 4 && file_rec_open(kz_inflow_file, c.kz_input, "w")) {
            std::fprintf(kz_inflow_file.fp, "  output from %s\n", "TORVA");
            std::fprintf(kz_inflow_file.fp, "\n");
            std::fprintf(kz_inflow_file.fp, "    JDAY     QIN\n");
        }
    }

    s.ov_boundary = c.ov_boundary;
    s.xybdyinput_ovdep = c.xybdyinput_ovdep_given;
    if (c.flood_grid_given) {
        s.flood_grid = 1;
        s.flood_grid_name = c.flood_grid;
    }
    if (c.flood_stream_given) {
        s.flood_stream = 1;
        s.flood_stream_name = c.flood_stream;
    }
    if (c.flush_buffer_given) {
        s.flush_buffer = 1;
        s.flush_buffer_lines = c.flush_buffer;
    }

    if (s.run.map_type == 4) {
        error_set(err_zenf_not_built);
        error_state.raised = 1;
        return;
    }

    s.mapping_table_given = c.mapping_table_given;
    if (s.mapping_table_given) {
        s.mapping_table_name = c.mapping_table;
        check_mapping_tables(s.mapping_table_name, s.mapping_table_flags, s.calib_mode);
    }
    if (c.st_mapping_table_given) {
        s.st_mapping_table_name = c.st_mapping_table;
        check_stream_mapping_file(s.st_mapping_table_name, s.stream_table_flags, s.calib_mode);
    }
    if (run_stopped()) return;

    copy_overland_cards(s, c);

    if (c.manning_n_given)
        s.roughness_given = c.roughness_given;
    else
        s.roughness_given = c.roughness_given || s.mapping_table_flags[mt_roughness];
    s.chan_lakes = 0;
    s.wetlands_on = s.mapping_table_flags[mt_wetlands];

    copy_long_term_cards(s, c);

    s.strict_julian_date = c.strict_julian_date;
    const int et_table = s.mapping_table_flags[mt_evapotranspiration];
    s.albedo_given = c.albedo_given || et_table;
    s.vheight_given = c.vheight_given || et_table;
    s.tcoeff_given = c.tcoeff_given || et_table;
    s.canopy_given = c.canopy_given || et_table;
    s.wilting_point_given = c.wilting_point_given || et_table;

    if (s.event_min_q < 1e-5) s.event_min_q = 0.05;

    s.soil_moist_depth = c.soil_moist_depth * 100.0;
    s.top_layer_depth = c.top_layer_depth * 100.0;
    s.mixing_layer_depth = c.mixing_layer_depth * 100.0;

    s.optimize = c.optimize_given;
    if (s.optimize) s.optimize_name = c.optimize;
    s.optimize_sed = c.optimize_sed;
    s.sed.soil_erosion = c.soil_erosion_given;
    s.sed.adjust_channel_bed = c.adjust_channel_bed;
    // The sediment maps exist only with overland erosion.
    s.sed.max_sed_flux = c.soil_erosion_given && c.max_sed_flux_given;
    s.sed.net_sed_volume = c.soil_erosion_given && c.net_sed_volume_given;
    s.sed.vol_sed_susp = c.soil_erosion_given && c.vol_sed_susp_given;

    copy_channel_cards(s, c);
    copy_infiltration_cards(s, c);
    copy_groundwater_cards(s, c);

    s.sacramento = c.sacramento_given;
    if (s.sacramento) {
        s.sac_topo_index = c.topo_index ? 1 : 0; // TOPO_INDEX: weights from the topographic index
        s.sacramento_name = c.sacramento;
    }
    s.conceptual_gw = c.conceptual_gw_given;
    if (s.conceptual_gw) {
        s.cgw_topo_index = c.topo_index_cgs ? 1 : 0;
        s.conceptual_gw_name = c.conceptual_gw;
    }

    const int ga_table = s.mapping_table_flags[mt_green_ampt_infiltration];
    const bool ga_maps = s.green_ampt || s.inf_redist || s.long_term;
    s.conductivity_given = c.conductivity_given || (ga_maps && ga_table);
    s.capillary_given = c.capillary_given || (ga_maps && ga_table);
    s.porosity_given = c.porosity_given || (ga_maps && ga_table);
    s.pore_index_given = c.pore_index_given || (ga_maps && ga_table);
    s.residual_sat_given = c.residual_sat_given || (ga_maps && ga_table);
    s.area_reduction_given = c.area_reduction_given;

    copy_precipitation_cards(s);
    s.radar_mm = c.radar_mm;

    copy_exchange_cards(s, c);
    copy_output_cards(s, c);
    copy_working_names(s, c);

    const std::string& read_stem = c.chan_hotstart_read_stem;
    const std::string& write_stem = c.chan_hotstart_write_stem;
    s.chan_depth_hotstart_in_name = read_stem + ".dht";
    s.chan_flow_hotstart_in_name = read_stem + ".qht";
    s.chan_depth_hotstart_out_name = write_stem + ".dht";
    s.chan_flow_hotstart_out_name = write_stem + ".qht";

    s.uniform_init_moisture = 0.15;
    s.uniform_retention = s.retention_given ? c.retention : 0.0;
    s.end_test_offset = 0;

    s.super_quiet = c.super_quiet;
    if (!s.super_quiet && !s.calib_mode && group_ctx.rank == 0) std::printf("\nfinished reading project file\n");
}
