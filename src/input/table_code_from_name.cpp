// Keywords of the mapping-table file and their codes.
#include <string>

#include "input/mapping_table.h"

namespace
{

struct keyword {
    const char* name;
    int code;
    int values; // value columns of the generic reader
};

// In the order the line test tries them: a line has the code of the first
// keyword it begins with.
const keyword keywords[] = {
    {"ROUGH_EXP", tc_rough_exp, 1},
    {"OVR_FLOW_BLOCK", tc_ovr_flow_block, 5},
    {"INTERCEPTION", tc_interception, 2},
    {"RETENTION", tc_retention, 1},
    {"GREEN_AMPT_INFILTRATION", tc_green_ampt_infiltration, 7},
    {"GREEN_AMPT_INITIAL_SOIL_MOISTURE", tc_green_ampt_initial_soil_moisture, 1},
    {"RICHARDS_EQN_INFILTRAIION_HAVERCAMP", tc_richards_havercamp, 0},
    {"RICHARDS_EQN_INFILTRATION_BROOKS", tc_richards_brooks, 0},
    {"EVAPOTRANSPIRATION", tc_evapotranspiration, 4},
    {"SEDIMENTS", tc_sediments, 0},
    {"SOIL_EROSION_PROPS", tc_soil_erosion_props, 0},
    {"MATERIAL_INDEX", tc_material_index, 0},
    {"NUM_IDS", tc_num_ids, 0},
    {"NUM_CONTAM", tc_num_contam, 0},
    {"NUM_SED", tc_num_sed, 0},
    {"MULTI_LAYER_SOIL", tc_multi_layer_soil, 0},
    {"RATINGCURVES", tc_ratingcurves, 0},
    {"INDEX_MAP", tc_index_map, 0},
    {"CONTAMINANT_TRANSPORT", tc_contaminant_transport, 0},
    {"WETLAND_PROPERTIES", tc_wetland_properties, 7},
    {"OVERLAND_BOUNDARY", tc_overland_boundary, 2},
    {"GROUNDWATER_BOUNDARY", tc_groundwater_boundary, 1},
    {"TIME_SERIES_INDEX", tc_time_series_index, 0},
    {"WELL_TABLE", tc_well_table, 3},
    {"GROUNDWATER", tc_groundwater, 2},
    {"AREA_REDUCTION", tc_area_reduction, 1},
    {"QBN_N", tc_qbn_n, 4},
    {"QBN_P", tc_qbn_p, 3},
    {"QBN_C", tc_qbn_c, 2},
    {"QBN_OTH", tc_qbn_oth, 3},
    {"DISPERSION", tc_dispersion, 1},
    {"PRECIP_CONC", tc_precip_conc, 0},
    {"PARTITION", tc_partition, 0},
    {"QBN_SOIL_C", tc_qbn_soil_c, 2},
    {"QBN_SOIL_N", tc_qbn_soil_n, 5},
    {"QBN_SOIL_P", tc_qbn_soil_p, 6},
    {"QBN_GW_N", tc_qbn_gw_n, 4},
    {"QBN_GW_P", tc_qbn_gw_p, 4},
    {"QBN_GW_OTH", tc_qbn_gw_oth, 2},
    {"QBN_SOIL_KM", tc_qbn_soil_km, 6},
    {"QBN_SOIL_KOC", tc_qbn_soil_koc, 6},
};

bool begins_with(const std::string& line, const char* word)
{
    return line.compare(0, std::char_traits<char>::length(word), word) == 0;
}

} // namespace

int table_code_from_name(const std::string& line)
{
    for (const keyword& k : keywords)
        if (begins_with(line, k.name))
            return k.code;
    return 0;
}

int table_line_code(const std::string& line)
{
    return begins_with(line, "ROUGHNESS") ? tc_roughness : table_code_from_name(line);
}

std::string table_name_from_code(int code)
{
    if (code == tc_roughness)
        return "ROUGHNESS";
    for (const keyword& k : keywords)
        if (k.code == code)
            return k.name;
    return std::string();
}

int table_values_per_row(int code)
{
    if (code == tc_roughness)
        return 1;
    for (const keyword& k : keywords)
        if (k.code == code)
            return k.values;
    return 0;
}
