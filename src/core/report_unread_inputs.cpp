// Input files named by their cards but opened only when the card that
// switches their process on is given. A project that names such a file and
// forgot the switch would run to a plausible end without that process and
// without a word; each row below turns that into one warning line.
//
// Rows are kept out where the file is replaced on purpose rather than
// forgotten: the mapping table's tables standing for their maps, and the
// layered-soil and Richards methods, which take the Green-Ampt parameters
// from their own tables. WATER_TABLE is read with or without groundwater.
#include "core/report_unread_inputs.h"

#include <cstdio>

#include "core/model_state.h"

namespace {

using card_given = bool (*)(const project_cards&);
using process_on = bool (*)(const model_state&);

struct unread_input {
    const char* card;
    card_given given;
    process_on on;
    const char* switched_by; // what switches the process on, with its cards
    const char* lost;        // what does not happen without it
    const char* fate = "the file is not read and";
};

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

const unread_input unread_inputs[] = {
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
     "channel sediment transport (CHAN_EXPLIC and SOIL_EROSION)", "no channel sediment is routed"},
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
};

} // namespace

void report_unread_inputs(const model_state& s)
{
    for (const unread_input& row : unread_inputs)
        if (row.given(s.cards) && !row.on(s))
            std::printf("Warning: %s is given without %s: %s %s.\n", row.card, row.switched_by, row.fate,
                        row.lost);
}
