// Files named by their cards but read or written only when the card that
// switches their process on is given. A project that names such a file and
// forgot the switch would run to a plausible end without that process (or
// without that output) and without a word; each row below turns that into
// one warning line.
//
// Input rows are kept out where the file is replaced on purpose rather than
// forgotten: the mapping table's tables standing for their maps, and the
// layered-soil and Richards methods, which take the Green-Ampt parameters
// from their own tables. WATER_TABLE is read with or without groundwater.
// Output rows are kept out where the file is still written with true values
// (infiltration, moisture and recharge maps as zeros, the stream-aquifer
// flux as zeros without exchange, the surface water content at the theta
// cells, the unchanged elevation of ADJUST_ELEV).
#include "core/report_unused_files.h"

#include <cstdio>
#include <cstring>

#include "core/model_state.h"

namespace {

using card_given = bool (*)(const project_cards&);
using process_on = bool (*)(const model_state&);

struct unused_file {
    const char* card;
    card_given given;
    process_on on;
    const char* switched_by;      // what switches the process on, with its cards
    const char* lost;             // what does not happen without it (inputs)
    const char* fate = "the file is not read and";
};

// An output row: what becomes of the file, and no loss clause.
constexpr const char* not_written = "the file is not written";
constexpr const char* left_empty = "the file is left empty";
constexpr const char* header_only = "the file holds only its header";
constexpr const char* times_only = "the file holds only its times";

bool named(const std::string& name) { return !name.empty(); }

bool channel_routed(const model_state& s) { return s.chan_explicit != 0; }
bool channel_sediment(const model_state& s) { return s.chan_sed_on != 0; }
bool lumped_links(const model_state& s) { return s.chan_explicit && s.conceptual_gw; }
bool infiltration(const model_state& s)
{
    return s.green_ampt || s.inf_redist || s.inf_layered_soil || s.inf_richards;
}
bool redistribution(const model_state& s) { return s.inf_redist || s.inf_layered_soil || s.inf_richards; }
bool soil_layers(const model_state& s) { return s.inf_layered_soil || s.inf_richards; }
bool long_term(const model_state& s) { return s.long_term != 0; }
bool penman(const model_state& s) { return s.long_term && s.et_calc_penman; }
bool band_snow(const model_state& s) { return s.long_term && !s.cards.eb_snow; }
bool groundwater(const model_state& s) { return s.gw_simulation != 0; }
bool well_levels(const model_state& s) { return s.gw_simulation && s.gw_well_level; }
bool interception(const model_state& s) { return s.interception != 0; }
bool overland_lakes(const model_state& s) { return s.overland_lake_on != 0; }
bool embankments(const model_state& s) { return s.dike_map_given != 0; }
bool overland_depths(const model_state& s) { return s.overland_depths != 0; }
bool overland_wse(const model_state& s) { return s.overland_wse != 0; }
bool pipe_network(const model_state& s) { return s.storm_sewer != 0; }
bool land_contaminants(const model_state& s) { return s.ov_con_trans != 0; }
bool channel_constituents(const model_state& s) { return s.chan_con_trans != 0; }
bool erosion(const model_state& s) { return s.sed.soil_erosion != 0; }
bool dataset_maps(const model_state& s) { return s.map_dataset != 0; }
bool hydrograph_nodes(const model_state& s) { return s.in_hyd_location_given != 0; }
bool seepage_nodes(const model_state& s) { return s.in_gwflux_location_given != 0; }
bool sediment_nodes(const model_state& s) { return s.cards.in_sed_loc_given != 0; }
bool xy_points(const model_state& s) { return s.cards.xy_out.output_on != 0; }
bool host_exchange(const model_state& s) { return s.qnt_mode != 0; }

const char* const channel_switch = "channel routing (CHAN_EXPLIC or DIFFUSIVE_WAVE)";
const char* const no_channel = "no channel is routed";
const char* const infiltration_switch = "an infiltration method (GREEN_AMPT or INF_REDIST)";
const char* const no_infiltration = "no water infiltrates";
const char* const penman_switch = "Penman-Monteith evapotranspiration (LONG_TERM and ET_CALC_PENMAN)";
const char* const no_penman = "no Penman-Monteith evapotranspiration is computed";
const char* const weather_switch = "a long-term run (LONG_TERM)";
const char* const no_weather = "no hourly weather is applied";
const char* const groundwater_switch = "groundwater simulation (GW_SIMULATION with WATER_TABLE)";
const char* const no_groundwater = "no groundwater flow is simulated";
const char* const soil_switch = "a layered soil (INF_LAYERED_SOIL or INF_RICHARDS)";
const char* const no_soil_layers = "no soil layers are modelled";
const char* const pipe_switch = "the pipe network (STORM_SEWER)";
const char* const no_pipes = "no pipe network is modelled";
const char* const channel_sediment_switch = "channel sediment transport (CHAN_EXPLIC and SOIL_EROSION)";
const char* const erosion_switch = "overland erosion (SOIL_EROSION)";
const char* const dataset_switch = "dataset map files (MAP_TYPE 1 or 2)";
const char* const xy_switch = "XY output points (XYBDYOUTPUT_PTS or XYBDYOUTPUT_MASK)";
const char* const exchange_switch = "the host environment exchange (QNT and ZEBO)";

const unused_file unused_files[] = {
    // Channel routing.
    {"CHANNEL_INPUT", [](const project_cards& c) { return named(c.channel_input); }, channel_routed,
     channel_switch, no_channel},
    {"STREAM_CELL", [](const project_cards& c) { return named(c.stream_cell); }, channel_routed, channel_switch,
     no_channel},
    // The point inputs are read and checked whatever the routing; without
    // it their inflows reach no node.
    {"CHAN_POINT_INPUT", [](const project_cards& c) { return named(c.chan_point_input); }, channel_routed,
     channel_switch, "no point inflow enters a channel", "the file is read but"},
    {"READ_CHAN_HOTSTART", [](const project_cards& c) { return c.read_chan_hotstart != 0; }, channel_routed,
     channel_switch, no_channel},
    {"EXPLIC_HOTSTART", [](const project_cards& c) { return c.explic_hotstart != 0; }, channel_routed,
     channel_switch, no_channel},
    {"IN_HYD_LOCATION", [](const project_cards& c) { return c.in_hyd_location_given != 0; }, channel_routed,
     channel_switch, no_channel},
    {"IN_GWFLUX_LOCATION", [](const project_cards& c) { return c.in_gwflux_location_given != 0; },
     channel_routed, channel_switch, no_channel},
    {"IN_SED_LOC", [](const project_cards& c) { return c.in_sed_loc_given != 0; }, channel_sediment,
     channel_sediment_switch, "no channel sediment is routed"},
    {"LINKS", [](const project_cards& c) { return named(c.links); }, lumped_links,
     "the conceptual groundwater model on routed channels (CONCEPTUAL_GW and CHAN_EXPLIC)",
     "no cell is weighted to a channel link"},

    // Green-Ampt and redistribution maps.
    {"CONDUCTIVITY", [](const project_cards& c) { return c.conductivity_given != 0; }, infiltration,
     infiltration_switch, no_infiltration},
    {"CAPILLARY", [](const project_cards& c) { return c.capillary_given != 0; }, infiltration,
     infiltration_switch, no_infiltration},
    {"POROSITY", [](const project_cards& c) { return c.porosity_given != 0; }, infiltration, infiltration_switch,
     no_infiltration},
    {"MOISTURE", [](const project_cards& c) { return c.moisture_given && named(c.moisture); }, infiltration,
     infiltration_switch, no_infiltration},
    {"PORE_INDEX", [](const project_cards& c) { return c.pore_index_given != 0; }, redistribution,
     "soil water redistribution (INF_REDIST)", "no soil water is redistributed"},
    {"RESIDUAL_SAT", [](const project_cards& c) { return c.residual_sat_given != 0; }, redistribution,
     "soil water redistribution (INF_REDIST)", "no soil water is redistributed"},

    // Soil tables of the layered soil and the Richards columns.
    {"SOIL_TYPE_MAP", [](const project_cards& c) { return named(c.soil_type_map); }, soil_layers, soil_switch,
     no_soil_layers},
    {"SOIL_LAYER_INPUT_FILE", [](const project_cards& c) { return named(c.soil_layer_input_file); },
     soil_layers, soil_switch, no_soil_layers},

    // Hourly weather, evapotranspiration and snow of long-term runs.
    {"HMET_SURFAWAYS", [](const project_cards& c) { return c.hmet_surfaways != 0; }, long_term, weather_switch,
     no_weather},
    {"HMET_SAMSON", [](const project_cards& c) { return c.hmet_samson != 0; }, long_term, weather_switch,
     no_weather},
    {"HMET_KTR", [](const project_cards& c) { return c.hmet_ktr != 0; }, long_term, weather_switch, no_weather},
    {"HMET_ASCII", [](const project_cards& c) { return c.hmet_ascii != 0; }, long_term, weather_switch,
     no_weather},
    {"HMET_ASCII_PET", [](const project_cards& c) { return c.hmet_ascii_pet != 0; }, long_term, weather_switch,
     no_weather},
    {"HMET_OROG_GAGES", [](const project_cards& c) { return c.hmet_orog_gages_given != 0; }, long_term,
     weather_switch, "no temperature is corrected for elevation"},
    {"ALBEDO", [](const project_cards& c) { return c.albedo_given != 0; }, long_term, weather_switch,
     "no evapotranspiration is computed"},
    {"VHEIGHT", [](const project_cards& c) { return c.vheight_given != 0; }, penman, penman_switch, no_penman},
    {"TCOEFF", [](const project_cards& c) { return c.tcoeff_given != 0; }, penman, penman_switch, no_penman},
    {"CANOPY", [](const project_cards& c) { return c.canopy_given != 0; }, penman, penman_switch, no_penman},
    {"WILTING_POINT", [](const project_cards& c) { return c.wilting_point_given != 0; }, penman, penman_switch,
     no_penman},
    {"NWSRFS_ELEV_SNOW", [](const project_cards& c) { return c.nwsrfs_elev_snow_given != 0; }, band_snow,
     "the temperature-index snow of a long-term run (LONG_TERM without EB_SNOW)",
     "no snow parameters are taken by elevation band"},

    // Groundwater.
    {"AQUIFER_BOTTOM", [](const project_cards& c) { return named(c.aquifer_bottom); }, groundwater,
     groundwater_switch, no_groundwater},
    {"GW_BOUNDFILE", [](const project_cards& c) { return c.gw_boundfile_given != 0; }, groundwater,
     groundwater_switch, no_groundwater},
    {"GW_POROSITY_MAP", [](const project_cards& c) { return c.gw_porosity_map_given != 0; }, groundwater,
     groundwater_switch, no_groundwater},
    {"GW_HYCOND_MAP", [](const project_cards& c) { return c.gw_hycond_map_given != 0; }, groundwater,
     groundwater_switch, no_groundwater},
    {"GW_FLUXBOUNDTABLE", [](const project_cards& c) { return c.gw_fluxboundtable_given != 0; }, groundwater,
     groundwater_switch, no_groundwater},
    {"GW_FLUX_BOUNDTABLE", [](const project_cards& c) { return c.gw_flux_boundtable_given != 0; }, groundwater,
     groundwater_switch, no_groundwater},
    {"OUT_WELL_LOCATION", [](const project_cards& c) { return named(c.out_well_location); }, well_levels,
     "well levels of the groundwater simulation (GW_SIMULATION and GW_WELL_LEVEL)", "no well level is written"},

    // Overland flow.
    {"STORAGE_CAPACITY", [](const project_cards& c) { return c.storage_capacity_given != 0; },
     interception, "interception (INTERCEPTION_COEFF or INTERCEPTION)", "no rain is intercepted"},
    {"OVERLAND_LAKE_FILE", [](const project_cards& c) { return named(c.overland_lake_file); }, overland_lakes,
     "overland lakes (OVERLAND_LAKE_MAP)", "no overland lake is modelled"},
    {"LOWSPOT_FILE", [](const project_cards& c) { return c.lowspot_file_given != 0; }, embankments,
     "embankments (DIKE_MAP or EMBANKMENT)", "no low spot is drained"},
    {"OVERLAND_DEPTH_LOCATION", [](const project_cards& c) { return named(c.overland_depth_location); },
     overland_depths, "the overland depth output (OVERLAND_DEPTHS)", "no overland depth is written"},
    {"OVERLAND_WSE_LOCATION", [](const project_cards& c) { return named(c.overland_wse_location); },
     overland_wse, "the overland water-surface output (OVERLAND_WSE)", "no water surface is written"},

    // The pipe network.
    {"GRID_PIPE", [](const project_cards& c) { return named(c.grid_pipe); }, pipe_network, pipe_switch,
     no_pipes},
    {"SUPERLINK_JUNC_LOCATION", [](const project_cards& c) { return c.superlink_junc_location_given != 0; },
     pipe_network, pipe_switch, no_pipes},
    {"SUPERLINK_NODE_LOCATION", [](const project_cards& c) { return c.superlink_node_location_given != 0; },
     pipe_network, pipe_switch, no_pipes},

    // Contaminants.
    {"CONTAM_MAP", [](const project_cards& c) { return c.contam_map_given != 0; }, land_contaminants,
     "overland contaminant transport (OV_CON_TRANS)", "no contaminant load is put on the land"},

    // Outputs. A card may have several rows, the most basic cause first;
    // only the first row that applies is reported.
    // Channel outputs.
    {"CHAN_DEPTH", [](const project_cards& c) { return c.chan_depth_given != 0; }, channel_routed,
     channel_switch, nullptr, left_empty},
    {"CHAN_DISCHARGE", [](const project_cards& c) { return c.chan_discharge_given != 0; }, channel_routed,
     channel_switch, nullptr, not_written},
    {"CHAN_STAGE", [](const project_cards& c) { return c.chan_stage_given != 0; }, channel_routed,
     channel_switch, nullptr, left_empty},
    {"CHAN_VELOCITY", [](const project_cards& c) { return c.chan_velocity_given != 0; }, channel_routed,
     channel_switch, nullptr, left_empty},
    {"FLOOD_STREAM", [](const project_cards& c) { return c.flood_stream_given != 0; }, channel_routed,
     channel_switch, nullptr, header_only},
    {"LAKE_OUTPUT", [](const project_cards& c) { return c.lake_output_given != 0; }, channel_routed,
     channel_switch, nullptr, left_empty},
    {"WRITE_CHAN_HOTSTART", [](const project_cards& c) { return c.write_chan_hotstart != 0; }, channel_routed,
     channel_switch, nullptr, not_written},
    {"EXPLIC_BACKWATER", [](const project_cards& c) { return c.explic_backwater != 0; }, channel_routed,
     channel_switch, nullptr, not_written},
    {"XYBDYOUTPUT_STFLOW", [](const project_cards& c) { return named(c.xy_out.stream_flow_name); }, xy_points,
     xy_switch, nullptr, not_written},
    {"XYBDYOUTPUT_STFLOW", [](const project_cards& c) { return named(c.xy_out.stream_flow_name); },
     channel_routed, channel_switch, nullptr, not_written},

    // Series at the channel nodes of the location lists.
    {"OUT_HYD_LOCATION", [](const project_cards& c) { return named(c.out_hyd_location); }, hydrograph_nodes,
     "its node list (IN_HYD_LOCATION)", nullptr, not_written},
    {"OUT_HYD_LOCATION", [](const project_cards& c) { return named(c.out_hyd_location); }, channel_routed,
     channel_switch, nullptr, left_empty},
    {"OUT_DEP_LOCATION", [](const project_cards& c) { return c.out_dep_location_given != 0; }, channel_routed,
     channel_switch, nullptr, left_empty},
    {"OUT_DEP_LOCATION", [](const project_cards& c) { return c.out_dep_location_given != 0; },
     hydrograph_nodes, "its node list (IN_HYD_LOCATION)", nullptr, times_only},
    {"OUT_GWFLUX_LOCATION", [](const project_cards& c) { return named(c.out_gwflux_location); }, seepage_nodes,
     "its node list (IN_GWFLUX_LOCATION)", nullptr, not_written},
    {"OUT_GWFLUX_LOCATION", [](const project_cards& c) { return named(c.out_gwflux_location); },
     channel_routed, channel_switch, nullptr, times_only},
    {"OUT_CON_LOCATION", [](const project_cards& c) { return c.out_con_location_given != 0; }, channel_routed,
     channel_switch, nullptr, not_written},
    {"OUT_CON_LOCATION", [](const project_cards& c) { return c.out_con_location_given != 0; },
     channel_constituents, "channel constituent transport (CHAN_CON_TRANS)", nullptr, left_empty},
    {"OUT_CON_LOCATION", [](const project_cards& c) { return c.out_con_location_given != 0; },
     hydrograph_nodes, "its node list (IN_HYD_LOCATION)", nullptr, left_empty},
    {"OUT_MASS_LOCATION", [](const project_cards& c) { return c.out_mass_location_given != 0; },
     channel_routed, channel_switch, nullptr, not_written},
    {"OUT_MASS_LOCATION", [](const project_cards& c) { return c.out_mass_location_given != 0; },
     channel_constituents, "channel constituent transport (CHAN_CON_TRANS)", nullptr, left_empty},
    {"OUT_MASS_LOCATION", [](const project_cards& c) { return c.out_mass_location_given != 0; },
     hydrograph_nodes, "its node list (IN_HYD_LOCATION)", nullptr, left_empty},
    {"OUT_CELLDEPDIS_LOCATION", [](const project_cards& c) { return named(c.out_celldepdis_location); },
     [](const model_state& s) { return s.in_celldepdis_location_given != 0; },
     "its cell list (IN_CELLDEPDIS_LOCATION)", nullptr, not_written},
    {"OUT_THETA_LOCATION", [](const project_cards& c) { return named(c.out_theta_location); },
     [](const model_state& s) { return s.in_theta_location_given != 0; }, "its cell list (IN_THETA_LOCATION)",
     nullptr, not_written},

    // Sediment outputs.
    {"OUTLET_SED_FLUX", [](const project_cards& c) { return named(c.outlet_sed_flux); }, erosion,
     erosion_switch, nullptr, not_written},
    {"OUTLET_SED_TSS", [](const project_cards& c) { return c.outlet_sed_tss_given != 0; }, erosion,
     erosion_switch, nullptr, not_written},
    {"OUTLET_SED_TSS", [](const project_cards& c) { return c.outlet_sed_tss_given != 0; }, channel_sediment,
     channel_sediment_switch, nullptr, left_empty},
    {"CHAN_SED_FLUX", [](const project_cards& c) { return c.chan_sed_flux_given != 0; }, channel_sediment,
     channel_sediment_switch, nullptr, left_empty},
    {"OUT_SED_LOC", [](const project_cards& c) { return named(c.out_sed_loc); }, channel_sediment,
     channel_sediment_switch, nullptr, not_written},
    {"OUT_SED_LOC", [](const project_cards& c) { return named(c.out_sed_loc); }, sediment_nodes,
     "its node list (IN_SED_LOC)", nullptr, not_written},
    {"OUT_TSS_LOC", [](const project_cards& c) { return c.out_tss_loc_given != 0; }, channel_sediment,
     channel_sediment_switch, nullptr, not_written},
    {"OUT_TSS_LOC", [](const project_cards& c) { return c.out_tss_loc_given != 0; }, sediment_nodes,
     "its node list (IN_SED_LOC)", nullptr, not_written},
    {"FYSSI", [](const project_cards& c) { return c.fyssi_given != 0; }, channel_sediment,
     channel_sediment_switch, nullptr, not_written},
    {"MAX_SED_FLUX", [](const project_cards& c) { return c.max_sed_flux_given != 0; }, erosion, erosion_switch,
     nullptr, not_written},
    {"NET_SED_VOLUME", [](const project_cards& c) { return c.net_sed_volume_given != 0; }, erosion,
     erosion_switch, nullptr, not_written},
    {"VOL_SED_SUSP", [](const project_cards& c) { return c.vol_sed_susp_given != 0; }, erosion, erosion_switch,
     nullptr, not_written},
    // It has no per-time grid: with MAP_TYPE 0 its file is opened and stays empty.
    {"VOL_SED_SUSP", [](const project_cards& c) { return c.vol_sed_susp_given != 0; }, dataset_maps,
     dataset_switch, nullptr, left_empty},

    // Groundwater outputs.
    {"GW_WELL_LEVEL", [](const project_cards& c) { return c.gw_well_level_given != 0; }, groundwater,
     groundwater_switch, nullptr, not_written},
    {"GW_OUTPUT", [](const project_cards& c) { return c.gw_output_given != 0; }, groundwater,
     groundwater_switch, nullptr, not_written},
    {"XYBDYOUTPUT_GWHEAD", [](const project_cards& c) { return named(c.xy_out.gw_head_name); }, xy_points,
     xy_switch, nullptr, not_written},
    {"XYBDYOUTPUT_GWHEAD", [](const project_cards& c) { return named(c.xy_out.gw_head_name); }, groundwater,
     groundwater_switch, nullptr, not_written},
    {"XYBDYOUTPUT_OVDEP", [](const project_cards& c) { return named(c.xy_out.ov_depth_name); }, xy_points,
     xy_switch, nullptr, not_written},

    // Pipe network outputs.
    {"PIPE_FLOW", [](const project_cards& c) { return c.pipe_flow_given != 0; }, pipe_network, pipe_switch,
     nullptr, not_written},
    {"PIPE_HEAD", [](const project_cards& c) { return c.pipe_head_given != 0; }, pipe_network, pipe_switch,
     nullptr, not_written},
    {"PIPE_TILE", [](const project_cards& c) { return c.pipe_tile_given != 0; }, pipe_network, pipe_switch,
     nullptr, not_written},
    {"SUPERLINK_JUNC_FLOW", [](const project_cards& c) { return c.superlink_junc_flow_given != 0; },
     pipe_network, pipe_switch, nullptr, left_empty},
    {"SUPERLINK_NODE_FLOW", [](const project_cards& c) { return c.superlink_node_flow_given != 0; },
     pipe_network, pipe_switch, nullptr, left_empty},

    // Contaminant, snow, segment and exchange outputs.
    {"OV_CON_MAP", [](const project_cards& c) { return c.ov_con_map_given != 0; }, land_contaminants,
     "overland contaminant transport (OV_CON_TRANS)", nullptr, not_written},
    {"OV_CON_MAP", [](const project_cards& c) { return c.ov_con_map_given != 0; }, dataset_maps,
     dataset_switch, nullptr, not_written},
    // Event runs write no snow step into the dataset file (per-time grids
    // are written in event runs too).
    {"SNOW_SWE_FILE", [](const project_cards& c) { return c.snow_swe_file_given != 0; },
     [](const model_state& s) { return s.long_term || !s.map_dataset; }, weather_switch, nullptr, header_only},
    {"KZ_SEGMENT_FLUXES", [](const project_cards& c) { return named(c.kz_segment_fluxes); },
     [](const model_state& s) { return s.cards.kz_fluxes != 0; }, "the segment fluxes (KZ_FLUXES)", nullptr,
     not_written},
    {"MOIST_TO_ZEBO", [](const project_cards& c) { return c.moist_to_zebo_given != 0; }, host_exchange,
     exchange_switch, nullptr, not_written},
    {"KSAT_TO_ZEBO", [](const project_cards& c) { return c.ksat_to_zebo_given != 0; }, host_exchange,
     exchange_switch, nullptr, not_written},
    {"ROUGH_TO_ZEBO", [](const project_cards& c) { return c.rough_to_zebo_given != 0; }, host_exchange,
     exchange_switch, nullptr, not_written},
    {"POROS_TO_ZEBO", [](const project_cards& c) { return c.poros_to_zebo_given != 0; }, host_exchange,
     exchange_switch, nullptr, not_written},
};

} // namespace

void report_unused_files(const model_state& s)
{
    const char* reported = nullptr;
    for (const unused_file& row : unused_files) {
        if (reported && std::strcmp(reported, row.card) == 0) continue;
        if (!row.given(s.cards) || row.on(s)) continue;
        if (row.lost)
            std::printf("Warning: %s is given without %s: %s %s.\n", row.card, row.switched_by, row.fate,
                        row.lost);
        else
            std::printf("Warning: %s is given without %s: %s.\n", row.card, row.switched_by, row.fate);
        reported = row.card;
    }
}
