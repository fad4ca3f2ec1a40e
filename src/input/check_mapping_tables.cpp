// Which tables the mapping-table file holds: one presence flag per table
// and a Y/N list on the screen.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"

namespace
{

struct table_check {
    int flag;
    int code;
    const char* label;
};

// In the order of the flags.
const table_check checks[mapping_table_flag_total] = {
    {mt_roughness, tc_roughness, "Roughness"},
    {mt_rough_exp, tc_rough_exp, "Rough_exp"},
    {mt_ovr_flow_block, tc_ovr_flow_block, "Ovr_flow_block"},
    {mt_interception, tc_interception, "Interception"},
    {mt_retention, tc_retention, "Retention"},
    {mt_green_ampt_infiltration, tc_green_ampt_infiltration, "G&A Infiltration"},
    {mt_green_ampt_soil_moisture, tc_green_ampt_initial_soil_moisture, "G&A Soil Moisture"},
    {mt_multi_layer_soil, tc_multi_layer_soil, "Multi layer G&A Infiltration"},
    {mt_richards_havercamp, tc_richards_havercamp, "Richards Havercamp"},
    {mt_richards_brooks, tc_richards_brooks, "Richards Brooks"},
    {mt_evapotranspiration, tc_evapotranspiration, "Evapotranspiration"},
    {mt_sediments, tc_sediments, "Sediments"},
    {mt_soil_erosion_props, tc_soil_erosion_props, "Sediment Erosion Properties"},
    {mt_contaminants, tc_contaminant_transport, "Contaminants"},
    {mt_wetlands, tc_wetland_properties, "Wetlands"},
    {mt_overland_boundary, tc_overland_boundary, "Overland Boundary"},
    {mt_well_table, tc_well_table, "Groundwater Wells"},
    {mt_groundwater, tc_groundwater, "Groundwater"},
    {mt_groundwater_boundary, tc_groundwater_boundary, "Groundwater Boundary"},
    {mt_area_reduction, tc_area_reduction, "Area Reduction"},
    {mt_qbn_n, tc_qbn_n, "QBN Nitrogen"},
    {mt_qbn_p, tc_qbn_p, "QBN Phosphorus"},
    {mt_qbn_oth, tc_qbn_oth, "QBN Other"},
    {mt_qbn_c, tc_qbn_c, "QBN Carbon"},
    {mt_qbn_dispersion, tc_dispersion, "QBN Dispersion"},
    {mt_qbn_soil_c, tc_qbn_soil_c, "QBN Soil Carbon"},
    {mt_qbn_soil_n, tc_qbn_soil_n, "QBN Soil Nitrogen"},
    {mt_qbn_soil_p, tc_qbn_soil_p, "QBN Soil Phosphorus"},
    {mt_qbn_gw_n, tc_qbn_gw_n, "QBN Groundwater Nitrogen"},
    {mt_qbn_gw_p, tc_qbn_gw_p, "QBN Groundwater Phosphorus"},
    {mt_qbn_gw_oth, tc_qbn_gw_oth, "QBN Groundwater Other"},
    {mt_qbn_soil_km, tc_qbn_soil_km, "QBN Soil Km"},
    {mt_qbn_soil_koc, tc_qbn_soil_koc, "QBN Soil Koc"},
};

// The count of the line after the table line when it is a "KEYWORD n" line
// of the given keyword; -1 when it is not such a line or the file ended.
int count_line(file_rec& file, const char* keyword)
{
    std::string line;
    if (!read_line_rec(line, file))
        return -1;
    std::string token;
    pop_token(line, token);
    if (token.compare(0, std::strlen(keyword), keyword) != 0)
        return -1;
    int n = 0;
    pop_int(line, n);
    return n;
}

} // namespace

void check_mapping_table(int& flag, int code, const std::string& table_file, const char* label, int quiet)
{
    file_rec file;
    std::string index_map, map_name;
    file_rec_open(file, table_file, "r");
    // SEDIMENTS names no index map.
    const table_search found =
        code == tc_sediments ? (find_sediments_table(file) ? table_search::found : table_search::absent)
                             : search_mapping_table(file, code, index_map, map_name);
    flag = found == table_search::found ? 1 : 0;
    bool map_missing = false;
    if (code == tc_sediments || code == tc_contaminant_transport) {
        if (flag) {
            const int n = count_line(file, code == tc_sediments ? "NUM_SED" : "NUM_CONTAM");
            if (n >= 0)
                flag = n > 0 ? 1 : 0;
        }
    } else if (flag) {
        file_rec map;
        flag = file_rec_open(map, index_map, "r") ? 1 : 0;
        map_missing = flag == 0;
    }
    if (quiet != 1) {
        const int width = 35 - static_cast<int>(std::strlen(label));
        std::printf("  %s", label);
        for (int i = 0; i < width; ++i)
            std::fputc('.', stdout);
        std::fputs(flag ? "Y\n" : "N\n", stdout);
    }
    // A table that is there but cannot be used stops the run: it must never
    // give way silently to a uniform value or a default.
    report_table_search(found, code, table_file, map_name);
    if (map_missing) {
        std::printf("Error: the index map of table %s in the mapping table file %s cannot be opened.\n",
                    table_name_from_code(code).c_str(), table_file.c_str());
        error_set(err_index_map_open, nullptr, index_map.c_str());
        report_error(error_state);
    }
}

void check_mapping_tables(const std::string& name, int (&flags)[mapping_table_flag_total], int quiet)
{
    {
        file_rec probe;
        if (!file_rec_open(probe, name, "r")) {
            error_set(err_mapping_table_open, nullptr, name.c_str());
            report_error(error_state);
            return;
        }
    }
    {
        file_rec file;
        std::string index_map, map_name;
        file_rec_open(file, name, "r");
        const table_search found = search_mapping_table(file, tc_roughness, index_map, map_name);
        if (found == table_search::no_header) {
            report_table_search(found, tc_roughness, name, map_name);
            return;
        }
    }
    if (quiet != 1)
        std::printf("\nChecking 2D grid mapping tables...\n");
    for (const table_check& t : checks) {
        check_mapping_table(flags[t.flag], t.code, name, t.label, quiet);
        if (run_stopped())
            return;
    }
}
