// The run's dedicated file records, one per input or output file named by
// the project (the spare slots of the layout are left out).
#pragma once

#include "core/file_rec.h"

struct run_file_records {
    file_rec elevation_file;
    file_rec watershed_mask_file;
    file_rec soil_type_map_file;
    file_rec precip_event_file;
    file_rec moisture_file;
    file_rec roughness_file;
    file_rec conductivity_file;
    file_rec contam_map_file;
    file_rec capillary_file;
    file_rec porosity_file;
    file_rec pore_index_file;
    file_rec residual_sat_file;
    file_rec storage_capacity_file;
    file_rec interception_coeff_file;
    file_rec reten_depth_file;
    file_rec area_reduction_file;
    file_rec in_hyd_location_file;
    file_rec in_gwflux_location_file;
    file_rec in_celldepdis_location_file;
    file_rec superlink_node_location_file;
    file_rec superlink_junc_location_file;
    file_rec superlink_junc_flow_file;
    file_rec superlink_node_flow_file;
    file_rec hmet_file;
    file_rec hmet_orog_gages_file;
    file_rec albedo_file;
    file_rec vheight_file;
    file_rec tcoeff_file;
    file_rec canopy_file;
    file_rec wilting_point_file;
    file_rec in_sed_loc_file;
    file_rec stream_cell_file;
    file_rec dike_map_file;
    file_rec lowspot_list_file;
    file_rec overland_lake_map_file;
    file_rec overland_lake_param_file;
    file_rec chan_hotstart_in_file;
    file_rec sacramento_file;
    file_rec conceptual_gw_file;
    file_rec water_table_file;
    file_rec gw_hotstart_out_file;
    file_rec satsource_out_file;
    file_rec new_bed_elevations_file;
    file_rec aquifer_bottom_file;
    file_rec summary_file;
    file_rec exchange_map_file;
    file_rec depth_map_file;
    file_rec discharge_map_file;
    file_rec dis_rain_map_file;
    file_rec gw_recharge_cum_map_file;
    file_rec gw_recharge_inc_map_file;
    file_rec inf_depth_map_file;
    file_rec rate_of_infil_map_file;
    file_rec surf_moist_map_file;
    file_rec out_hyd_location_file;
    file_rec out_gwflux_location_file;
    file_rec out_celldepdis_location_file;
    file_rec out_dep_location_file;
    file_rec out_con_location_file;
    file_rec out_mass_location_file;
    file_rec in_theta_location_file;
    file_rec out_theta_location_file;
    file_rec soil_layer_table_file;
    file_rec out_sed_loc_file;
    file_rec optimize_file;
    file_rec out_well_location_file;
    file_rec ov_con_map_file;
    file_rec chan_hotstart_out_file;
    file_rec sig_outlet_hydro_file;
    file_rec lake_output_file;
};

// Calls f on every record above, in declaration order.
template <class F>
void for_each_run_file(run_file_records& r, F&& f)
{
    file_rec* all[] = {
        &r.elevation_file, &r.watershed_mask_file, &r.soil_type_map_file, &r.precip_event_file,
        &r.moisture_file, &r.roughness_file, &r.conductivity_file, &r.contam_map_file,
        &r.capillary_file, &r.porosity_file, &r.pore_index_file, &r.residual_sat_file,
        &r.storage_capacity_file, &r.interception_coeff_file, &r.reten_depth_file,
        &r.area_reduction_file, &r.in_hyd_location_file, &r.in_gwflux_location_file,
        &r.in_celldepdis_location_file, &r.superlink_node_location_file,
        &r.superlink_junc_location_file, &r.superlink_junc_flow_file, &r.superlink_node_flow_file,
        &r.hmet_file, &r.hmet_orog_gages_file, &r.albedo_file, &r.vheight_file, &r.tcoeff_file,
        &r.canopy_file, &r.wilting_point_file, &r.in_sed_loc_file, &r.stream_cell_file,
        &r.dike_map_file, &r.lowspot_list_file, &r.overland_lake_map_file,
        &r.overland_lake_param_file, &r.chan_hotstart_in_file, &r.sacramento_file,
        &r.conceptual_gw_file, &r.water_table_file, &r.gw_hotstart_out_file,
        &r.satsource_out_file, &r.new_bed_elevations_file, &r.aquifer_bottom_file,
        &r.summary_file, &r.exchange_map_file, &r.depth_map_file, &r.discharge_map_file,
        &r.dis_rain_map_file, &r.gw_recharge_cum_map_file, &r.gw_recharge_inc_map_file,
        &r.inf_depth_map_file, &r.rate_of_infil_map_file, &r.surf_moist_map_file,
        &r.out_hyd_location_file, &r.out_gwflux_location_file, &r.out_celldepdis_location_file,
        &r.out_dep_location_file, &r.out_con_location_file, &r.out_mass_location_file,
        &r.in_theta_location_file, &r.out_theta_location_file, &r.soil_layer_table_file,
        &r.out_sed_loc_file, &r.optimize_file, &r.out_well_location_file, &r.ov_con_map_file,
        &r.chan_hotstart_out_file, &r.sig_outlet_hydro_file, &r.lake_output_file,
    };
    for (file_rec* rec : all) f(*rec);
}
