#include "quality/constituent_state.h"

void constituent_state_name_arrays(constituent_state& c)
{
    checked_array_set_name(c.precip_conc, "precip_conc");
    checked_array_set_name(c.OV_MASS_INIT, "OV_MASS_INIT");
    checked_array_set_name(c.OV_MASS_FINAL, "OV_MASS_FINAL");
    checked_array_set_name(c.OV_MASS_OUT, "OV_MASS_OUT");
    checked_array_set_name(c.OV_QLAT_MASS, "OV_QLAT_MASS");
    checked_array_set_name(c.OV_MASS_DECAY, "OV_MASS_DECAY");
    checked_array_set_name(c.OV_POINT_MASS, "OV_POINT_MASS");
    checked_array_set_name(c.OV_EXFIL_MASS, "OV_EXFIL_MASS");
    checked_array_set_name(c.OV_PRECIP_MASS, "OV_PRECIP_MASS");
    checked_array_set_name(c.OV_INFIL_MASS, "OV_INFIL_MASS");
    checked_array_set_name(c.OV_MASS_ERROR, "OV_MASS_ERROR");
    checked_array_set_name(c.OV_LAND_MASS, "OV_LAND_MASS");
    checked_array_set_name(c.OV_LAND_MASS_INIT, "OV_LAND_MASS_INIT");
    checked_array_set_name(c.OV_LAND_MASS_FINAL, "OV_LAND_MASS_FINAL");
    checked_array_set_name(c.OV_UPTAKE_MASS, "OV_UPTAKE_MASS");
    checked_array_set_name(c.event_ov_mass_init, "event_ov_mass_init");
    checked_array_set_name(c.event_ov_decay_mass, "event_ov_decay_mass");
    checked_array_set_name(c.event_ov_uptake_mass, "event_ov_uptake_mass");
    checked_array_set_name(c.event_ov_infil_mass, "event_ov_infil_mass");
    checked_array_set_name(c.event_ov_exfil_mass, "event_ov_exfil_mass");
    checked_array_set_name(c.event_ov_qlat_mass, "event_ov_qlat_mass");
    checked_array_set_name(c.event_ov_mass_out, "event_ov_mass_out");
    checked_array_set_name(c.event_ov_point_mass, "event_ov_point_mass");
    checked_array_set_name(c.event_ov_precip_mass, "event_ov_precip_mass");
    checked_array_set_name(c.event_ov_land_mass, "event_ov_land_mass");
    checked_array_set_name(c.event_ov_neg_mass, "event_ov_neg_mass");
    checked_array_set_name(c.ov_out_dmt, "ov_out_dmt");
    checked_array_set_name(c.ov_point_dmt, "ov_point_dmt");
    checked_array_set_name(c.ov_decay_dmt, "ov_decay_dmt");
    checked_array_set_name(c.ov_infil_dmt, "ov_infil_dmt");
    checked_array_set_name(c.ov_qlat_dmt, "ov_qlat_dmt");
    checked_array_set_name(c.ov_uptake_dmt, "ov_uptake_dmt");
    checked_array_set_name(c.ov_qbn_dmt, "ov_qbn_dmt");
    checked_array_set_name(c.ov_qbn_dmt_in, "ov_qbn_dmt_in");
    checked_array_set_name(c.ov_qbn_dmt_out, "ov_qbn_dmt_out");
    checked_array_set_name(c.ov_precip_dmt, "ov_precip_dmt");
    checked_array_set_name(c.ov_exit_mass, "ov_exit_mass");
    checked_array_set_name(c.GLOBAL_MASS_CON_ERROR, "GLOBAL_MASS_CON_ERROR");
    checked_array_set_name(c.GLOBAL_MASS_DECAY, "GLOBAL_MASS_DECAY");
    checked_array_set_name(c.GLOBAL_MASS_INIT, "GLOBAL_MASS_INIT");
    checked_array_set_name(c.GLOBAL_MASS_FINAL, "GLOBAL_MASS_FINAL");
    checked_array_set_name(c.GLOBAL_POINT_SOURCE, "GLOBAL_POINT_SOURCE");
    checked_array_set_name(c.GLOBAL_MASS_OUT, "GLOBAL_MASS_OUT");
    checked_array_set_name(c.GLOBAL_GW_MASS, "GLOBAL_GW_MASS");
    checked_array_set_name(c.constituent_type, "constituent_type");
    checked_array_set_name(c.water_soil_partition_coef, "water_soil_partition_coef");
    c.soil_mass.name = "soil_mass";
    c.soil_conc.name = "soil_conc";
}
