#include "output/map_kinds.h"

#include "core/model_state.h"

int map_kind_object_id(int kind)
{
    return 1010 + kind;
}

const char* map_kind_dataset_name(int kind)
{
    static const char* const names[map_kind_count] = {
        "depth",
        "discharge",
        "rain",
        "infiltrated_depth",
        "infiltration_rate",
        "surface_moisture",
        "groundwater_head",
        "sediment_flux",
        "sediment_volume",
        "suspended_sediment_conc",
        "contaminant_conc",
        "flood_grid",
        "gw_recharge_cum",
        "gw_recharge_inc",
        "snow_water_equivalent",
    };
    return kind >= 0 && kind < map_kind_count ? names[kind] : "";
}

map_kind_binding bind_map_kind(model_state& s, int kind)
{
    const bool erosion = s.sed.soil_erosion != 0;
    switch (kind) {
    case map_kind_depth:
        return {s.depth != 0, &s.depth_name, &s.depth_map_file};
    case map_kind_discharge:
        return {s.discharge != 0, &s.discharge_name, &s.discharge_map_file};
    case map_kind_rain:
        return {s.dis_rain != 0, &s.dis_rain_name, &s.dis_rain_map_file};
    case map_kind_inf_depth:
        return {s.inf_depth_map != 0, &s.inf_depth_name, &s.inf_depth_map_file};
    case map_kind_inf_rate:
        return {s.rate_of_infil != 0, &s.rate_of_infil_name, &s.rate_of_infil_map_file};
    case map_kind_surf_moist:
        return {s.surf_moist != 0, &s.surf_moist_name, &s.surf_moist_map_file};
    case map_kind_gw_head:
        return {s.gw_output != 0, &s.gw_output_name, &s.gw_head_dataset_file};
    case map_kind_sed_flux:
        return {erosion && s.sed.max_sed_flux, &s.cards.max_sed_flux, &s.sed_flux_dataset_file};
    case map_kind_net_sed:
        return {erosion && s.sed.net_sed_volume, &s.cards.net_sed_volume, &s.net_sed_dataset_file};
    case map_kind_susp_sed:
        return {erosion && s.sed.vol_sed_susp, &s.cards.vol_sed_susp, &s.susp_sed_dataset_file};
    case map_kind_contam_conc:
        return {s.ov_con_map && s.ov_con_trans, &s.ov_con_map_name, &s.ov_con_map_file};
    case map_kind_flood:
        return {s.flood_grid != 0, &s.flood_grid_name, &s.flood_dataset_file};
    case map_kind_recharge_cum:
        return {s.gw_recharge_cum != 0, &s.gw_recharge_cum_name, &s.gw_recharge_cum_map_file};
    case map_kind_recharge_inc:
        return {s.gw_recharge_inc != 0, &s.gw_recharge_inc_name, &s.gw_recharge_inc_map_file};
    case map_kind_swe:
        return {s.cards.snow_swe_file_given != 0, &s.cards.snow_swe_file, &s.swe_dataset_file};
    default:
        return {};
    }
}
