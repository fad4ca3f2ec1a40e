// Opens, in one fixed order, every input and output file the cards ask for.
// The first file that cannot be opened ends the step with an error naming
// the kind of file and its name.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/input_steps.h"
#include "input/mapping_table_checks.h"
#include "quality/quality_steps.h"

namespace {

struct opener {
    model_state& s;

    // Opens one file; on failure records the code with its kind and name,
    // raises the error and returns false.
    bool open(file_rec& rec, const std::string& name, const char* mode, const char* kind,
              int code = err_open_file)
    {
        std::string n = name;
        if (file_rec_open(rec, n, mode)) return true;
        fail(code, kind, name.c_str());
        return false;
    }

    // A map that the mapping table can stand in for.
    bool open_or_table(file_rec& rec, const std::string& name, const char* kind, int table_flag)
    {
        std::string n = name;
        if (file_rec_open(rec, n, "r")) return true;
        if (s.mapping_table_given && s.mapping_table_flags[table_flag]) return true;
        fail(err_open_file, kind, name.c_str());
        return false;
    }

    void fail(int code, const char* what, const char* file)
    {
        error_set(code, what, file);
        error_state.raised = 1;
    }

    bool table(int flag) const { return s.mapping_table_given && s.mapping_table_flags[flag]; }
};

void write_evap_log_header(model_state& s)
{
    std::fprintf(s.evap_log.fp, "yr/mo/day  hour     avg_theta    avg_pot      avgetrate    avgfav      "
                                "avgbottomfav  CFGI         temp(C)  ");
    if (s.soil_water_acct) std::fprintf(s.evap_log.fp, " avg_theta_L1  avg_theta_L2");
    std::fprintf(s.evap_log.fp, "\n");
}

bool open_groundwater_files(opener& o, model_state& s)
{
    if (!s.gw_simulation) return true;
    if (!o.open(s.gw_boundary_file, s.gw_boundfile_name, "r", "groundwater boundary")) return false;
    if (s.gw_well_level) {
        if (!o.open(s.out_well_location_file, s.out_well_location_name, "r", "well location")) return false;
        if (!o.open(s.gw_well_level_file, s.gw_well_level_name, "w", "well level output")) return false;
    }
    if (s.gw_hycond_map && !o.open(s.gw_hycond_file, s.gw_hycond_map_name, "r", "groundwater hycond"))
        return false;
    if (s.gw_porosity_map && !o.open(s.gw_porosity_file, s.gw_porosity_map_name, "r", "groundwater porosity"))
        return false;
    if (!s.inf_richards) {
        if (s.water_table && !o.open(s.water_table_file, s.water_table_name, "r", "water table")) return false;
        if (!o.open(s.aquifer_bottom_file, s.aquifer_bottom_name, "r", "aquifer bottom")) return false;
    }
    return true;
}

// The hourly log of long-term soil water, with its header.
bool open_evap_log(opener& o, model_state& s)
{
    if (s.inf_richards || s.soil_water_acct) {
        if (!o.open(s.evap_log, "evap_out", "w", "evaporation output")) return false;
        write_evap_log_header(s);
    }
    return true;
}

bool open_soil_files(opener& o, model_state& s)
{
    if (!(s.inf_layered_soil || s.inf_richards || s.inf_redist)) return true;
    const bool tables_present = s.inf_layered_soil
                                    ? o.table(mt_multi_layer_soil)
                                    : (s.inf_richards && (o.table(mt_richards_havercamp) || o.table(mt_richards_brooks)));
    std::string soil_map = s.soil_type_map_name;
    if (soil_map.empty()) {
        const int option = s.richards_c_option;
        if (option == 1 || option == 2) get_richards_index_map(s.mapping_table_name, option, soil_map);
    }
    std::string n = soil_map;
    const bool map_open = file_rec_open(s.soil_type_map_file, n, "r");
    if (!map_open && (s.inf_layered_soil || s.inf_richards) && !tables_present) {
        o.fail(err_open_file, "soil type", soil_map.c_str());
        return false;
    }
    // The redistribution scheme reads no soil types: without the map a
    // long-term run still gets its hourly log.
    if (!map_open && !tables_present) return !s.long_term || open_evap_log(o, s);
    if (!tables_present && (s.inf_layered_soil || s.inf_richards) &&
        !o.open(s.soil_layer_table_file, s.soil_layer_input_name, "r", "multi-layer soil table"))
        return false;
    if (s.water_table && !s.water_table_file.fp &&
        !o.open(s.water_table_file, s.water_table_name, "r", "water table"))
        return false;
    if (s.gw_simulation && !s.aquifer_bottom_file.fp &&
        !o.open(s.aquifer_bottom_file, s.aquifer_bottom_name, "r", "aquifer bottom"))
        return false;
    return open_evap_log(o, s);
}

bool open_green_ampt_files(opener& o, model_state& s)
{
    if (!(s.green_ampt || s.inf_redist)) return true;
    if (s.moisture_given && !o.table(mt_green_ampt_soil_moisture) &&
        !o.open(s.moisture_file, s.moisture_name, "r", "soil moisture"))
        return false;
    const bool ga_table = o.table(mt_green_ampt_infiltration);
    if (s.conductivity_given && !ga_table && !o.open(s.conductivity_file, s.conductivity_name, "r", "Ks"))
        return false;
    if (s.capillary_given && !ga_table && !o.open(s.capillary_file, s.capillary_name, "r", "Hc")) return false;
    if (s.porosity_given && !ga_table && !o.open(s.porosity_file, s.porosity_name, "r", "soil porosity"))
        return false;
    if (s.inf_redist) {
        if (s.pore_index_given && !ga_table &&
            !o.open(s.pore_index_file, s.pore_index_name, "r", "pore dist. index"))
            return false;
        if (s.residual_sat_given && !ga_table &&
            !o.open(s.residual_sat_file, s.residual_sat_name, "r", "residual saturation"))
            return false;
    }
    return true;
}

bool open_long_term_files(opener& o, model_state& s)
{
    if (!s.long_term) return true;
    if (!(s.hmet_ktr || s.hmet_samson || s.hmet_surfaways || s.hmet_ascii || s.hmet_ascii_pet)) {
        // Without a weather card there is no file to name: say what is missing.
        std::printf("Error: LONG_TERM needs hourly weather; give HMET_KTR, HMET_SAMSON, HMET_SURFAWAYS "
                    "or HMET_ASCII\n");
        o.fail(err_stop, "", "");
        return false;
    }
    if (!o.open(s.hmet_file, s.hmet_file_name, "r", "hydromet data")) return false;
    if (s.hmet_orog_gages_given &&
        !o.open(s.hmet_orog_gages_file, s.hmet_orog_gages_name, "r", "orog met data"))
        return false;
    const bool et_table = o.table(mt_evapotranspiration);
    if (s.cards.albedo_given && !et_table && !o.open(s.albedo_file, s.albedo_name, "r", "albedo")) return false;
    if (s.et_calc_penman && !et_table) {
        if (s.cards.vheight_given && !o.open(s.vheight_file, s.vheight_name, "r", "veg. height")) return false;
        if (s.cards.tcoeff_given && !o.open(s.tcoeff_file, s.tcoeff_name, "r", "trans. coeff")) return false;
        if (s.cards.canopy_given && !o.open(s.canopy_file, s.canopy_name, "r", "canopy resist.")) return false;
        if (s.cards.wilting_point_given &&
            !o.open(s.wilting_point_file, s.wilting_point_name, "r", "wilting point"))
            return false;
    }
    return true;
}

bool open_location_files(opener& o, model_state& s)
{
    if (s.in_hyd_location_given) {
        if (!o.open(s.in_hyd_location_file, s.in_hyd_location_name, "r", "hydrograph location")) return false;
        if (!o.open(s.out_hyd_location_file, s.out_hyd_location_name, "w", "out hydrograph file",
                    err_hydro_loc_open))
            return false;
    }
    if (s.in_gwflux_location_given) {
        if (!o.open(s.in_gwflux_location_file, s.in_gwflux_location_name, "r", "groundwater flux location"))
            return false;
        if (!o.open(s.out_gwflux_location_file, s.out_gwflux_location_name, "w", "out groundwater flux file",
                    err_hydro_loc_open))
            return false;
    }
    if (s.in_celldepdis_location_given) {
        if (!o.open(s.in_celldepdis_location_file, s.in_celldepdis_location_name, "r", "dep dis cell location"))
            return false;
        if (!o.open(s.out_celldepdis_location_file, s.out_celldepdis_location_name, "w", "out cell dep dis file",
                    err_hydro_loc_open))
            return false;
    }
    if (s.sig_outlet_hydro &&
        !o.open(s.sig_outlet_hydro_file, s.sig_outlet_hydro_name, "w", "optional 6 digit hydrograph"))
        return false;
    if (s.superlink_junc_location_given &&
        !o.open(s.superlink_junc_location_file, s.superlink_junc_location_name, "r", "superjunction location"))
        return false;
    if (s.superlink_junc_flow_given &&
        !o.open(s.superlink_junc_flow_file, s.superlink_junc_flow_name, "w",
                s.superlink_junc_flow_name.c_str(), err_hydro_loc_open)) {
        error_set_file(error_state, s.superlink_junc_location_name.c_str());
        return false;
    }
    if (s.superlink_node_location_given &&
        !o.open(s.superlink_node_location_file, s.superlink_node_location_name, "r", "superlink node location"))
        return false;
    if (s.superlink_node_flow_given &&
        !o.open(s.superlink_node_flow_file, s.superlink_node_flow_name, "w",
                s.superlink_node_flow_name.c_str(), err_hydro_loc_open)) {
        error_set_file(error_state, s.superlink_node_location_name.c_str());
        return false;
    }
    if (s.lake_output && !o.open(s.lake_output_file, s.lake_output_name, "w", "lake output")) return false;
    if (s.out_dep_location_given &&
        !o.open(s.out_dep_location_file, s.out_dep_location_name, "w", s.out_dep_location_name.c_str(),
                err_depth_loc_open)) {
        error_set_file(error_state, s.in_hyd_location_name.c_str());
        return false;
    }
    if (s.out_con_location_given &&
        !o.open(s.out_con_location_file, s.out_con_location_name, "w", s.out_con_location_name.c_str(),
                err_conc_loc_open)) {
        error_set_file(error_state, s.in_hyd_location_name.c_str());
        return false;
    }
    if (s.out_mass_location_given &&
        !o.open(s.out_mass_location_file, s.out_mass_location_name, "w", s.out_mass_location_name.c_str(),
                err_conc_loc_open)) {
        error_set_file(error_state, s.in_hyd_location_name.c_str());
        return false;
    }
    if (s.in_theta_location_given) {
        if (!o.open(s.in_theta_location_file, s.in_theta_location_name, "r", "in_theta location")) return false;
        std::string n = s.out_theta_location_name;
        if (!file_rec_open(s.out_theta_location_file, n, "w")) {
            const std::string file = s.out_theta_location_name + " (out_theta_location_file)";
            o.fail(err_theta_loc_open, s.in_theta_location_name.c_str(), file.c_str());
            return false;
        }
    }
    return true;
}

bool open_output_files(opener& o, model_state& s)
{
    if (s.chan_depth_given && !o.open(s.chan_depth_file, s.chan_depth_name, "w", "output channel depth"))
        return false;
    if (s.chan_discharge_given &&
        !o.open(s.chan_discharge_file, s.chan_discharge_name, "w", "output channel discharge"))
        return false;
    if (s.chan_stage_given && !o.open(s.chan_stage_file, s.chan_stage_name, "w", "output channel stage"))
        return false;
    if (s.chan_velocity_given &&
        !o.open(s.chan_velocity_file, s.chan_velocity_name, "w", "output channel velocity"))
        return false;
    if (s.flood_stream &&
        !o.open(s.linknode_out_file, s.flood_stream_name, "w", "output flood stream stage"))
        return false;
    if (s.chan_sed_flux_given &&
        !o.open(s.chan_sed_flux_file, s.chan_sed_flux_name, "w", "output stream_sed_flux"))
        return false;
    if (s.nutrients) open_qbn_series_files(s);
    if (s.storm_sewer) {
        if (s.pipe_head_given && !o.open(s.pipe_head_file, s.pipe_head_name, "w", "superlink head")) return false;
        if (s.pipe_tile_given && !o.open(s.pipe_tile_file, s.pipe_tile_name, "w", "superlink tile")) return false;
        if (s.pipe_flow_given && !o.open(s.pipe_flow_file, s.pipe_flow_name, "w", "superlink flow")) return false;
    }
    if (s.contam_map_given && !o.open(s.contam_map_file, s.contam_map_name, "r", "contam")) return false;
    return true;
}

} // namespace

void open_run_files(model_state& s)
{
    opener o{s};
    if (!o.open(s.watershed_mask_file, s.watershed_mask_name, "r", "watershed mask")) return;
    if (!o.open(s.elevation_file, s.elevation_name, "r", "elevation data")) return;
    if (!o.open(s.summary_file, s.summary_name, "w", "output summary")) return;
    summary_log = &s.summary_file;
    if (!o.open(s.hydrograph_file, s.outlet_hydro_name, "w", "output hydrograph")) return;

    if (s.overland_depths) {
        if (!o.open(s.overland_depth_location_file, s.overland_depth_location_name, "r",
                    "overland depth locations"))
            return;
        if (!o.open(s.overland_depths_file, s.overland_depths_name, "w", "overland depth output")) return;
    }
    if (s.overland_wse) {
        if (!o.open(s.overland_wse_location_file, s.overland_wse_location_name, "r", "overland wse locations"))
            return;
        if (!o.open(s.overland_wse_file, s.overland_wse_name, "w", "overland wse output")) return;
    }
    if (!open_groundwater_files(o, s)) return;
    if (!open_soil_files(o, s)) return;
    if (!open_green_ampt_files(o, s)) return;
    if (!open_long_term_files(o, s)) return;

    if (s.precip_file_on && !o.open(s.precip_event_file, s.precip_file_name, "r", "raingage data")) return;
    if (s.chan_explicit && !o.open(s.stream_cell_file, s.stream_cell_name, "r", "grid-stream connectivity"))
        return;
    if (s.interception && !o.table(mt_interception)) {
        if (!o.open(s.storage_capacity_file, s.storage_capacity_name, "r", "interception storage")) return;
        if (!o.open(s.interception_coeff_file, s.interception_coeff_name, "r", "interception coeff.")) return;
    }
    if (s.overland_lake_on) {
        if (!o.open(s.overland_lake_map_file, s.overland_lake_map_name, "r", "overland lake map")) return;
        if (!o.open(s.overland_lake_param_file, s.overland_lake_file_name, "r", "overland lake data")) return;
    }
    if (s.reten_depth_given && !o.table(mt_retention) &&
        !o.open(s.reten_depth_file, s.reten_depth_name, "r", "retention depth"))
        return;
    if (s.roughness_given && !o.table(mt_roughness) &&
        !o.open(s.roughness_file, s.roughness_name, "r", "Manning roughness"))
        return;
    if (s.chan_explicit && !o.open(s.chan_input_file, s.channel_input_name, "r", "channel input")) return;
    if (s.chan_hotstart_write) {
        if (!o.open(s.chan_depth_hotstart_out, s.chan_depth_hotstart_out_name, "w", "channel depth")) return;
        if (!o.open(s.chan_flow_hotstart_out, s.chan_flow_hotstart_out_name, "w", "channel discharge")) return;
    }
    // A missing overland or soil-moisture hotstart is recorded and the
    // opening goes on; a later failure replaces the record.
    if (s.cards.ov_init_depth_given) o.open(s.ov_hotstart_in_file, s.ov_init_depth_name, "r", "overland hotstart");
    if (s.cards.init_swe_depth_kind == 1 &&
        !o.open(s.swe_hotstart_file, s.cards.init_swe_depth_map, "r", "SWE input hotstart"))
        return;
    if (s.cards.read_sm_hotstart_given)
        o.open(s.sm_hotstart_in_file, s.read_sm_hotstart_name, "r", "soil moisture hotstart");
    if (s.chan_hotstart_read) {
        if (!o.open(s.chan_depth_hotstart_in, s.chan_depth_hotstart_in_name, "r", "channel depth")) return;
        if (!o.open(s.chan_flow_hotstart_in, s.chan_flow_hotstart_in_name, "r", "channel discharge")) return;
    }
    if (!open_location_files(o, s)) return;
    open_output_files(o, s);
}
